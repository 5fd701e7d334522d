#include <windows.h>

#include "app/WebLinks.h"

namespace zelvorn {

bool OpenWithExplorer(const Text& commandLine) {
  // No program name: the usual search for the command line's first word
  // finds explorer.exe, the program's own folder first.
  Text mutableLine = commandLine;  // CreateProcessA may write into it
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  WaitForInputIdle(process.hProcess, static_cast<DWORD>(kExplorerReadyWait.count()));  // a hint only: whatever it returns
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace zelvorn
