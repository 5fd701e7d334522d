// Times Zelvorn.exe under Wine from the click to the result in ResultBox,
// for addresses of 64 KiB and 1 MiB in lines of about 76 characters.
// Run by bench/window_speed.sh.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

BOOL CALLBACK FindMain(HWND hwnd, LPARAM out) {
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if (lstrcmpW(cls, L"ZelvornMain") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(out) = hwnd;
  return FALSE;
}

HWND Child(HWND main, int index) {
  struct S { int id; HWND hwnd; } s{1000 + index, nullptr};
  EnumChildWindows(main, [](HWND h, LPARAM p) -> BOOL {
    auto& q = *reinterpret_cast<S*>(p);
    if (GetDlgCtrlID(h) != q.id) return TRUE;
    q.hwnd = h;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&s));
  return s.hwnd;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string command = std::string("\"") + argv[1] + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return 1;
  HWND main = nullptr;
  for (int i = 0; i < 500 && !main; ++i) {
    EnumWindows(FindMain, reinterpret_cast<LPARAM>(&main));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!main) return 1;
  enum { kSource = 2, kPaste = 3, kResult = 5, kToQqdl = 12 };
  DWORD code = 0;
  for (const std::size_t size : {std::size_t{64} << 10, std::size_t{256} << 10, std::size_t{1} << 20}) {
    std::string address = "http://host/";
    while (address.size() < size) address += std::string(74, 'a' + static_cast<char>(address.size() % 26)) + "\r\n";
    address.resize(size);
    // In by the paste button, as a user brings a long address.
    OpenClipboard(nullptr);
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, address.size() + 1);
    std::memcpy(GlobalLock(block), address.c_str(), address.size() + 1);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
    SendMessageA(Child(main, kResult), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    const auto pasted = std::chrono::steady_clock::now();
    PostMessageW(Child(main, kPaste), BM_CLICK, 0, 0);
    while (static_cast<std::size_t>(SendMessageA(Child(main, kSource), WM_GETTEXTLENGTH, 0, 0)) != address.size())
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::printf("%zu KiB address pasted into the source box: %.2f s\n", size >> 10,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - pasted).count());
    const auto start = std::chrono::steady_clock::now();
    PostMessageW(Child(main, kToQqdl), BM_CLICK, 0, 0);
    while (SendMessageA(Child(main, kResult), WM_GETTEXTLENGTH, 0, 0) == 0) {
      if (GetExitCodeProcess(process.hProcess, &code) && code != STILL_ACTIVE) {
        std::printf("Zelvorn.exe ended with %lu during the %zu KiB conversion\n", code, size >> 10);
        return 1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%zu KiB address to qqdl:// from the click to the result: %.2f s\n", size >> 10, seconds);
  }
  PostMessageW(main, WM_CLOSE, 0, 0);
  WaitForSingleObject(process.hProcess, 5000);
  return 0;
}
