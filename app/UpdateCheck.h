// The check for a newer release, run in the window's creation event before
// the window is first shown.
#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "Version.h"
#include "links/Window.h"

namespace zelvorn {

// The running program's version, the one the version file is compared with.
inline constexpr std::string_view kRunningVersion = kVersionText;

// The version the check compares against: set by CheckForUpdate, released
// by OnProgramExit.
extern std::optional<Text> CurrentVersion;

// What the check needs beyond the window.
struct UpdatePlatform {
  // The body of the version file's answer; nothing on any failure.
  std::function<std::optional<Bytes>(const Text& address)> httpGetBytes;
  std::function<bool(const Text& commandLine)> openWithExplorer;
  std::function<void(int exitCode)> endProgram;  // does not return in the program
};

// The version file on the forum; its name holds 版本号 in code page 936,
// percent-encoded so the bytes reach the server unchanged.
Text VersionFileAddress();

// Sets CurrentVersion, fetches the published version text and shows it in
// VersionLabel. Only a fetched text that differs from the running version
// brings the prompt: Yes opens the download thread and ends the program, No
// warns. A check that could not fetch anything shows "检测失败" and asks
// nothing.
void CheckForUpdate(Window& window, const UpdatePlatform& platform);

// The same on the real platform (UpdateCheck_win.cpp): HttpGetBytes,
// OpenWithExplorer, EndProgram.
void CheckForUpdate(Window& window);

}  // namespace zelvorn
