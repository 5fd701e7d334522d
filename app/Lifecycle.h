// The program's way out, shared by the window and the update check.
#pragma once

namespace zelvorn {

// Registered as the exit callback before anything else runs; runs exactly
// once on every way out and releases CurrentVersion (UpdateCheck.h).
void OnProgramExit();

// Ends the program at once: OnProgramExit, then the process ends with the
// code. Windows are not closed first and no further handler runs.
[[noreturn]] void EndProgram(int exitCode);

}  // namespace zelvorn
