#!/usr/bin/env bash
# Ends the Wine server of each prefix given, if one runs.
#   stop-wine.sh PREFIX...
for prefix in "$@"; do
  [[ -d $prefix ]] && WINEPREFIX=$prefix wineserver -k 2>/dev/null
done
exit 0
