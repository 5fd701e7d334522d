// Start-up and shut-down state shared by the window and the update check.
#pragma once

#include <optional>

#include "text/Text.h"

namespace zelvorn {

// The running program's version, the one the update check compares against.
// Holds a value from the window's creation event until OnProgramExit.
extern std::optional<Text> CurrentVersion;

// Registered as the exit callback before anything else runs; runs exactly
// once on every way out and releases CurrentVersion.
void OnProgramExit();

// Ends the program at once: OnProgramExit, then the process ends with the
// code. Windows are not closed first and no further handler runs.
[[noreturn]] void EndProgram(int exitCode);

}  // namespace zelvorn
