// Stands in for explorer.exe beside Zelvorn.exe in the tests: it appends
// the command line it was started with to explorer.log beside itself.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring log(self);
  log = log.substr(0, log.find_last_of(L'\\') + 1) + L"explorer.log";
  if (FILE* f = _wfopen(log.c_str(), L"ab")) {
    std::fprintf(f, "%s\n", GetCommandLineA());
    std::fclose(f);
  }
  return 0;
}
