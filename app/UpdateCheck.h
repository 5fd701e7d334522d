// The check for a newer release, run in the window's creation event before
// the window is first shown.
#pragma once

#include "links/Window.h"

namespace zelvorn {

// Sets CurrentVersion, fetches the published version text, shows it in
// 标签1 and, when it differs, offers the download page (Yes ends the program
// through EndProgram) or warns (No).
void CheckForUpdate(Window& window);

}  // namespace zelvorn
