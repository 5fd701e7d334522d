#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "app/Lifecycle.h"
#include "app/UpdateCheck.h"

namespace zelvorn {

void OnProgramExit() {
  // The exit callback is also reached through EndProgram; it acts once.
  static bool done = false;
  if (done) return;
  done = true;
  CurrentVersion.reset();
#ifdef ZELVORN_TEST_HOOKS
  // Test builds log each run of the callback so tests can count them.
  if (const char* log = std::getenv("ZELVORN_EXIT_LOG")) {
    if (std::FILE* f = std::fopen(log, "ab")) {
      std::fputs("OnProgramExit\n", f);
      std::fclose(f);
    }
  }
#endif
}

void EndProgram(int exitCode) {
  OnProgramExit();
  ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace zelvorn
