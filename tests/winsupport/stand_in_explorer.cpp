// Stands in for explorer.exe beside Zelvorn.exe in the tests. Each start
// appends one line to the file named by ZELVORN_EXPLORER_LOG (explorer.log
// beside itself when unset): how it was asked to show its window, "|", and
// its whole command line, byte for byte.
// With ZELVORN_EXPLORER_BUSY_MS set it then stays busy that long without
// ever waiting for input, so whoever started it cannot see it become idle.
#include <windows.h>

#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::string log(MAX_PATH, '\0');
  DWORD n = GetEnvironmentVariableA("ZELVORN_EXPLORER_LOG", log.data(), MAX_PATH);
  if (n == 0 || n >= MAX_PATH) {
    n = GetModuleFileNameA(nullptr, log.data(), MAX_PATH);
    log.resize(n);
    log = log.substr(0, log.find_last_of('\\') + 1) + "explorer.log";
  } else {
    log.resize(n);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const std::string show =
      (startup.dwFlags & STARTF_USESHOWWINDOW) ? std::to_string(startup.wShowWindow) : "-";
  const std::string line = show + "|" + GetCommandLineA() + "\n";
  // One write in append mode, so that stand-ins started together do not
  // mix their lines.
  HANDLE file = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
  }
  char busy[16] = {};
  if (GetEnvironmentVariableA("ZELVORN_EXPLORER_BUSY_MS", busy, sizeof busy) > 0)
    Sleep(static_cast<DWORD>(std::atoi(busy)));
  return 0;
}
