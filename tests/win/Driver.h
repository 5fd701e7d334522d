// Drives the real Zelvorn.exe from outside, as a UI-automation tool would:
// starts it, finds its window and message boxes, reads controls through
// window messages, and gives real X mouse and key input (xdotool) and the
// X clipboard (xclip), which Wine runs as Unix programs.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../update/TestSupport.h"

namespace zelvorn::driver {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

inline const std::string kAppDir = ZELVORN_E2E_DIR;  // Zelvorn.exe and the stand-in explorer.exe
inline const std::string kServerDir = ZELVORN_SERVER_DIR;  // the version server's mode and log

inline std::wstring Wide(std::string_view utf8) {
  std::wstring w(utf8.size(), L'\0');
  w.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                        w.data(), static_cast<int>(w.size()))));
  return w;
}

using zelvorn::testing::Slurp;
using zelvorn::testing::WaitFor;

inline std::wstring TextOf(HWND hwnd) {
  wchar_t buffer[4096] = {};
  GetWindowTextW(hwnd, buffer, 4096);
  return buffer;
}

// The text may change between asking its length and reading it: read until
// the text fits with room to spare.
inline std::string AnsiTextOf(HWND hwnd) {
  for (std::size_t room = 256;; room *= 4) {
    std::string text(room, '\0');
    const auto n = SendMessageA(hwnd, WM_GETTEXT, room, reinterpret_cast<LPARAM>(text.data()));
    if (static_cast<std::size_t>(n) + 1 < room) return text.substr(0, static_cast<std::size_t>(n));
  }
}

// In bytes of the ANSI code page. (GetWindowTextLength on a window of
// another process does not ask the window under Wine.)
inline std::size_t LengthOf(HWND hwnd) {
  return static_cast<std::size_t>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

inline std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

struct Found {
  DWORD pid;
  const wchar_t* cls;
  bool visibleOnly;
  HWND hwnd = nullptr;
};

inline BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM param) {
  auto& f = *reinterpret_cast<Found*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == f.pid && ClassOf(hwnd) == f.cls && (!f.visibleOnly || IsWindowVisible(hwnd))) {
    f.hwnd = hwnd;
    return FALSE;
  }
  return TRUE;
}

// One run of the program, ended and cleaned up by the destructor. Test
// builds log each run of the exit callback to ZELVORN_EXIT_LOG.
class Program {
 public:
  explicit Program(const std::string& mode = "V1.3") {
    std::ofstream(kServerDir + "/mode") << mode;
    std::remove((kServerDir + "/requests.log").c_str());
    std::remove((kAppDir + "/explorer.log").c_str());
    std::remove((kAppDir + "/exit.log").c_str());
    SetEnvironmentVariableA("ZELVORN_EXIT_LOG", (kAppDir + "\\exit.log").c_str());
    std::string command = "\"" + kAppDir + "\\Zelvorn.exe\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    started_ = Clock::now();
    EXPECT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, kAppDir.c_str(),
                               &startup, &process_));
  }
  ~Program() {
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  HWND Find(const wchar_t* cls, bool visibleOnly) const {
    Found f{process_.dwProcessId, cls, visibleOnly};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&f));
    return f.hwnd;
  }
  // The main window once shown; and how long after launch that was.
  HWND Main(std::chrono::milliseconds limit = 15s) {
    HWND hwnd = nullptr;
    WaitFor([&] { return (hwnd = Find(L"ZelvornMain", true)) != nullptr; }, limit);
    shownAfter_ = Clock::now() - started_;
    return hwnd;
  }
  HWND MessageBox(std::chrono::milliseconds limit = 10s) const {
    HWND hwnd = nullptr;
    WaitFor([&] { return (hwnd = Find(L"#32770", true)) != nullptr; }, limit);
    return hwnd;
  }
  bool Exited(DWORD& code, DWORD ms = 10000) const {
    if (WaitForSingleObject(process_.hProcess, ms) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(process_.hProcess, &code);
    return true;
  }
  std::chrono::milliseconds ShownAfter() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(shownAfter_);
  }

 private:
  PROCESS_INFORMATION process_{};
  Clock::time_point started_;
  Clock::duration shownAfter_{};
};

// Indexes of the controls, in the window's layout order; a control's ID is
// 1000 plus its index.
enum : int {
  kBanner, kSourceGroup, kSourceBox, kPasteButton, kResultGroup, kResultBox, kCopyButton, kConversionGroup, kToThunderButton, kFromThunderButton, kToFlashGetButton,
  kFromFlashGetButton, kToQqdlButton, kFromQqdlButton, kThunderDownloadButton, kFlashGetDownloadButton, kQqdlDownloadButton, kVersionGroup, kVersionCaption, kVersionLabel, kForumBar,
};

inline HWND Child(HWND main, int index) {
  struct Search {
    int id;
    HWND hwnd;
  } search{1000 + index, nullptr};
  EnumChildWindows(
      main,
      [](HWND hwnd, LPARAM p) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(p);
        if (GetDlgCtrlID(hwnd) != s.id) return TRUE;
        s.hwnd = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.hwnd;
}

struct Box {
  std::wstring title, text;
  std::vector<std::wstring> buttons;
};

inline Box ReadBox(HWND box) {
  Box b{TextOf(box), {}, {}};
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == L"Button") b.buttons.push_back(TextOf(child));
    else if (ClassOf(child) == L"Static" && GetDlgCtrlID(child) == 0xFFFF) b.text = TextOf(child);
  }
  return b;
}

inline void Press(HWND box, int button) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0); }

// Real input through the X server that Wine draws on. Wine starts Unix
// programs too, but gives no handle to wait on: the shell leaves its status
// in a file. Output goes to files, never to the test's own (captured)
// output, which a lingering program would hold open.
class X11 {
 public:
  // Runs a shell command line; returns its exit status, or -1 on time-out.
  static int Run(const std::string& command, std::chrono::milliseconds limit = 10s) {
    static int serial = 0;
    const std::string done = UnixPath(kAppDir) + "/x11-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++serial) + ".status";
    std::string line =
        "/bin/sh -c \"" + Escape("{ " + command + "; } </dev/null >/dev/null 2>&1; echo $? > '" + done + "'") + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
      return -1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const std::string windowsDone = kAppDir + "\\" + done.substr(done.rfind('/') + 1);
    std::string status;
    if (!WaitFor([&] { return !(status = Slurp(windowsDone)).empty() && status.back() == '\n'; }, limit)) return -1;
    DeleteFileA(windowsDone.c_str());
    return std::stoi(status);
  }
  static bool Xdotool(const std::string& args) { return Run("xdotool " + args) == 0; }

  // Mouse click with the left button at the middle of a window. (No
  // --sync: xdotool would wait for ever when the pointer is there already;
  // the X server takes the requests in order anyway.)
  static bool Click(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return Xdotool("mousemove " + std::to_string((r.left + r.right) / 2) + " " +
                   std::to_string((r.top + r.bottom) / 2) + " click 1");
  }
  static bool MoveTo(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return Xdotool("mousemove " + std::to_string((r.left + r.right) / 2) + " " +
                   std::to_string((r.top + r.bottom) / 2));
  }
  static bool Key(const std::string& keys) { return Xdotool("key --delay 30 " + keys); }
  static bool Type(const std::string& ascii) { return Xdotool("type --delay 30 '" + ascii + "'"); }

  // The colour on the X screen at a point (ImageMagick's import), or
  // CLR_INVALID.
  static COLORREF PixelAt(int x, int y) {
    const std::string file = UnixPath(kAppDir) + "/x11-pixel.txt";
    if (Run("import -window root -crop 1x1+" + std::to_string(x) + "+" + std::to_string(y) + " '" + file + "'") != 0)
      return CLR_INVALID;
    // "0,0: (240,240,240)  #F0F0F0  srgb(240,240,240)"
    const std::string text = Slurp(kAppDir + "\\x11-pixel.txt");
    const auto hash = text.find('#', text.find('\n'));
    if (hash == std::string::npos || hash + 7 > text.size()) return CLR_INVALID;
    const unsigned long rgb = std::stoul(text.substr(hash + 1, 6), nullptr, 16);
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
  }

  // The X clipboard, as UTF-8.
  static bool SetClipboard(const std::string& utf8) {
    const std::string file = kAppDir + "\\x11-clipboard.in";
    std::ofstream(file, std::ios::binary) << utf8;
    return Run("xclip -selection clipboard -i '" + UnixPath(kAppDir) + "/x11-clipboard.in'") == 0;
  }
  static std::string Clipboard() {
    if (Run("xclip -selection clipboard -o > '" + UnixPath(kAppDir) + "/x11-clipboard.out'") != 0) return "<none>";
    return Slurp(kAppDir + "\\x11-clipboard.out");
  }

 private:
  // Z:\a\b is /a/b.
  static std::string UnixPath(std::string path) {
    if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':') path.erase(0, 2);
    for (char& c : path)
      if (c == '\\') c = '/';
    return path;
  }
  // For inside "..." of a Windows command line (no backslashes here).
  static std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
      if (c == '"') out += '\\';
      out += c;
    }
    return out;
  }
};

}  // namespace zelvorn::driver
