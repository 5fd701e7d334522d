// What every Windows test under Wine shares: files and waiting, the version
// server's control files, one launcher of the programs under test, one
// reader of their windows (texts, places and message boxes through window
// messages, as a UI-automation tool reads them), and real X input.
// Paths are Windows paths: Z: is the Linux root under Wine.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "app/Controls.h"

namespace zelvorn::wintest {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Set by tests/winsupport/CMakeLists.txt.
inline const std::string kAppDir = ZELVORN_TEST_APP_DIR;  // the programs beside the stand-in explorer.exe
inline const std::string kBrokenDir = ZELVORN_TEST_BROKEN_DIR;  // Zelvorn.exe beside an explorer.exe that is no program
inline const std::string kServerDir = ZELVORN_TEST_SERVER_DIR;  // the version server's mode, state and log
inline const std::string kServerPort = ZELVORN_TEST_SERVER_PORT;
inline const std::string kStalledPort = ZELVORN_TEST_STALLED_PORT;  // listens, never accepts

inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

template <class Pred>
bool WaitFor(Pred pred, std::chrono::milliseconds limit = 10s) {
  const auto end = Clock::now() + limit;
  while (Clock::now() < end) {
    if (pred()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return pred();
}

inline std::chrono::milliseconds Since(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

inline std::wstring Wide(std::string_view utf8) {
  std::wstring w(utf8.size(), L'\0');
  w.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                        w.data(), static_cast<int>(w.size()))));
  return w;
}

inline std::string Utf8(std::wstring_view wide) {
  std::string s(wide.size() * 3, '\0');
  s.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                                        s.data(), static_cast<int>(s.size()), nullptr, nullptr)));
  return s;
}

// tests/winsupport/version_server.py, started by the version_server fixture.
class VersionServer {
 public:
  // Returns once the server answers by the mode; forgets earlier requests.
  bool SetMode(const std::string& mode) const {
    std::ofstream(kServerDir + "\\mode.new", std::ios::binary) << mode;
    MoveFileExA((kServerDir + "\\mode.new").c_str(), (kServerDir + "\\mode").c_str(), MOVEFILE_REPLACE_EXISTING);
    DeleteFileA((kServerDir + "\\requests.log").c_str());
    return WaitFor([&] { return Slurp(kServerDir + "\\state") == mode; }, 5s);
  }
  // Each request's line and headers as received, each ended by an empty line.
  std::string Requests() const { return Slurp(kServerDir + "\\requests.log"); }
};
inline const VersionServer kServer;

// --- Reading windows of another process ----------------------------------

inline std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

// A button's or label's caption (the text Windows keeps for the window).
inline std::wstring CaptionOf(HWND hwnd) {
  wchar_t buffer[4096] = {};
  GetWindowTextW(hwnd, buffer, 4096);
  return buffer;
}

// An edit box's or label's text as code-page bytes, asked of the control
// itself (GetWindowText on another process's edit box does not). The text
// may change between asking its length and reading it: read until it fits
// with room to spare.
inline std::string TextOf(HWND hwnd) {
  for (std::size_t room = 256;; room *= 4) {
    std::string text(room, '\0');
    const auto n = SendMessageA(hwnd, WM_GETTEXT, room, reinterpret_cast<LPARAM>(text.data()));
    if (static_cast<std::size_t>(n) + 1 < room) return text.substr(0, static_cast<std::size_t>(n));
  }
}

// In bytes of the code page. (GetWindowTextLength on a window of another
// process does not ask the window under Wine.)
inline std::size_t LengthOf(HWND hwnd) { return static_cast<std::size_t>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0)); }

inline void SetTextOf(HWND hwnd, const std::string& bytes) {
  SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bytes.c_str()));
}

// A control of the main window, by its role.
inline HWND Child(HWND main, Control control) {
  struct Search {
    int id;
    HWND hwnd;
  } search{ControlId(control), nullptr};
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

// A window's rectangle in the client coordinates of another (its container).
inline RECT RectIn(HWND hwnd, HWND container) {
  RECT r;
  GetWindowRect(hwnd, &r);
  MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// A message box as the user sees it.
struct Box {
  std::wstring title, text;
  std::set<int> buttons;  // IDOK, IDYES, IDNO...
};

inline Box ReadBox(HWND hwnd) {
  Box box{CaptionOf(hwnd), {}, {}};
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == L"Button") box.buttons.insert(GetDlgCtrlID(child));
    else if (ClassOf(child) == L"Static" && GetDlgCtrlID(child) == 0xFFFF) box.text = CaptionOf(child);
  }
  return box;
}

// Presses a button of a message box as a click would. Posted: the box's
// owner thread may be busy.
inline void Press(HWND box, int button) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0); }

// Clicks a push button of the main window: the handler runs in the
// program's thread, as for a user's click.
inline void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

// Clicks a button that copies, and waits until the copy has begun to change
// the clipboard: a test that opened the clipboard before that could make the
// program's own OpenClipboard fail, and a failed copy is silent.
inline bool ClickAndAwaitCopy(HWND button) {
  const DWORD before = GetClipboardSequenceNumber();
  Click(button);
  return WaitFor([&] { return GetClipboardSequenceNumber() != before; });
}

// --- The program under test -----------------------------------------------

// One run of Zelvorn.exe from a folder, ended at the latest by the
// destructor. Test builds log each run of the exit callback to exit.log
// and the stand-in explorer.exe logs its starts to explorer.log, both in
// that folder.
class Program {
 public:
  explicit Program(const std::string& dir = kAppDir, const std::string& exe = "Zelvorn.exe") : dir_(dir) {
    DeleteFileA(ExplorerLog().c_str());
    DeleteFileA(ExitLog().c_str());
    SetEnvironmentVariableA("ZELVORN_EXPLORER_LOG", ExplorerLog().c_str());
    SetEnvironmentVariableA("ZELVORN_EXIT_LOG", ExitLog().c_str());
    std::string command = "\"" + dir + "\\" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    launched_ = Clock::now();
    started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup,
                              &process_) != FALSE;
  }
  ~Program() {
    if (!started_) return;
    if (!Ended()) TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool Started() const { return started_; }
  bool Ended() const { return !started_ || WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }

  // The program's visible top-level window of the class, if any.
  HWND Find(const wchar_t* cls) const {
    struct Search {
      DWORD pid;
      const wchar_t* cls;
      HWND found;
    } search{process_.dwProcessId, cls, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM p) -> BOOL {
          auto& s = *reinterpret_cast<Search*>(p);
          DWORD pid = 0;
          GetWindowThreadProcessId(hwnd, &pid);
          if (pid != s.pid || !IsWindowVisible(hwnd) || ClassOf(hwnd) != s.cls) return TRUE;
          s.found = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  HWND MainWindow() const { return Find(L"ZelvornMain"); }
  HWND MessageBox() const { return Find(L"#32770"); }

  // Waits for the main window; none when the program ends first or the
  // limit passes (a box staying open instead, say).
  HWND Main(std::chrono::milliseconds limit = 15s) {
    HWND hwnd = nullptr;
    WaitFor([&] { return (hwnd = MainWindow()) != nullptr || Ended(); }, limit);
    if (hwnd && !shownAfter_) shownAfter_ = firstShownAfter_ = Since(launched_);
    return hwnd;
  }
  // Waits for the main window or a message box, whichever shows first.
  HWND WindowOrBox(std::chrono::milliseconds limit = 15s) {
    HWND hwnd = nullptr;
    WaitFor([&] { return (hwnd = MainWindow()) || (hwnd = MessageBox()) || Ended(); }, limit);
    if (hwnd && !firstShownAfter_) firstShownAfter_ = Since(launched_);
    if (hwnd && hwnd == MainWindow() && !shownAfter_) shownAfter_ = firstShownAfter_;
    return hwnd;
  }
  // A message box other than `besides`, once one shows.
  HWND Box(std::chrono::milliseconds limit = 10s, HWND besides = nullptr) const {
    HWND hwnd = nullptr;
    WaitFor([&] { return (hwnd = MessageBox()) != nullptr && hwnd != besides; }, limit);
    return hwnd != besides ? hwnd : nullptr;
  }
  // From launch to the main window, and to the first window or box shown.
  std::optional<std::chrono::milliseconds> ShownAfter() const { return shownAfter_; }
  std::optional<std::chrono::milliseconds> FirstShownAfter() const { return firstShownAfter_; }

  // The exit code once ended, watching meanwhile whether the main window
  // shows; nothing when it does not end within the limit.
  std::optional<DWORD> ExitCode(std::chrono::milliseconds limit = 10s, bool* windowShown = nullptr) const {
    const bool ended = WaitFor([&] {
      if (windowShown && MainWindow()) *windowShown = true;
      return Ended();
    }, limit);
    DWORD code = 0;
    if (!ended || !GetExitCodeProcess(process_.hProcess, &code)) return std::nullopt;
    return code;
  }

  std::string ExplorerLog() const { return dir_ + "\\explorer.log"; }
  std::string ExitLog() const { return dir_ + "\\exit.log"; }

 private:
  std::string dir_;
  PROCESS_INFORMATION process_{};
  bool started_ = false;
  Clock::time_point launched_;
  std::optional<std::chrono::milliseconds> shownAfter_, firstShownAfter_;
};

// --- Real input through the X server that Wine draws on --------------------

// Wine starts Unix programs too, but gives no handle to wait on: the shell
// leaves its status in a file. Output goes to files, never to the test's
// own (captured) output, which a lingering program would hold open.
class X11 {
 public:
  // Runs a shell command line; returns its exit status, or -1 on time-out.
  static int Run(const std::string& command, std::chrono::milliseconds limit = 10s) {
    static int serial = 0;
    const std::string name = "x11-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial) + ".status";
    const std::string done = UnixPath(kAppDir) + "/" + name;
    std::string line =
        "/bin/sh -c \"" + Escape("{ " + command + "; } </dev/null >/dev/null 2>&1; echo $? > '" + done + "'") + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
      return -1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const std::string windowsDone = kAppDir + "\\" + name;
    std::string status;
    if (!WaitFor([&] { return !(status = Slurp(windowsDone)).empty() && status.back() == '\n'; }, limit)) return -1;
    DeleteFileA(windowsDone.c_str());
    return std::stoi(status);
  }
  static bool Xdotool(const std::string& args) { return Run("xdotool " + args) == 0; }

  // The middle of a window on the screen.
  static POINT Middle(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // (No --sync: xdotool would wait for ever when the pointer is there
  // already; the X server takes the requests in order anyway.)
  static bool MoveTo(HWND hwnd) {
    const POINT p = Middle(hwnd);
    return Xdotool("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y));
  }
  // A left click at the middle of a window.
  static bool Click(HWND hwnd) {
    const POINT p = Middle(hwnd);
    return Xdotool("mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " click 1");
  }
  // Keys as xdotool names them ("Tab", "shift+Tab", "ctrl+a").
  static bool Key(const std::string& keys) { return Xdotool("key --delay 30 " + keys); }
  static bool Type(const std::string& ascii) { return Xdotool("type --delay 30 '" + ascii + "'"); }
  // Gives the X input focus to the shown top-level window whose title
  // holds the ASCII text, as a window manager does for a window that
  // shows. Without a window manager no window has it, and keys go nowhere.
  static bool Focus(const std::string& asciiInTitle) {
    return Xdotool("search --onlyvisible --name '" + asciiInTitle + "' windowfocus");
  }

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
  // A PNG of a part of the screen, for a person to look at.
  static bool Screenshot(const RECT& r, const std::string& unixPath) {
    return Run("import -window root -crop " + std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) +
               "+" + std::to_string(r.left) + "+" + std::to_string(r.top) + " '" + unixPath + "'") == 0;
  }

  // The X clipboard, as UTF-8.
  static bool SetClipboard(const std::string& utf8) {
    std::ofstream(kAppDir + "\\x11-clipboard.in", std::ios::binary) << utf8;
    return Run("xclip -selection clipboard -i '" + UnixPath(kAppDir) + "/x11-clipboard.in'") == 0;
  }
  static std::string Clipboard() {
    if (Run("xclip -selection clipboard -o > '" + UnixPath(kAppDir) + "/x11-clipboard.out'") != 0) return "<none>";
    return Slurp(kAppDir + "\\x11-clipboard.out");
  }

  // Z:\a\b is /a/b.
  static std::string UnixPath(std::string path) {
    if (path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':') path.erase(0, 2);
    for (char& c : path)
      if (c == '\\') c = '/';
    return path;
  }

 private:
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

}  // namespace zelvorn::wintest

namespace zelvorn::wintest {

// A link as the window writes it, worked out here on its own: standard
// Base64 of the framed address in lines of 76 characters, each ended by
// CR LF, the scheme in front.
inline std::string LinkOf(std::string_view scheme, std::string_view before, std::string_view address,
                          std::string_view after) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const std::string data = std::string(before) + std::string(address) + std::string(after);
  std::string base64;
  for (std::size_t i = 0; i < data.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, data.size() - i);
    unsigned long group = 0;
    for (std::size_t k = 0; k < 3; ++k)
      group = group << 8 | (k < n ? static_cast<unsigned char>(data[i + k]) : 0u);
    for (std::size_t k = 0; k < 4; ++k) base64 += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 63] : '=';
  }
  std::string link(scheme);
  for (std::size_t i = 0; i < base64.size(); i += 76) {
    link += base64.substr(i, 76);
    if (i + 76 <= base64.size()) link += "\r\n";
  }
  return link;
}
inline std::string ThunderLinkOf(std::string_view address) { return LinkOf("thunder://", "AA", address, "ZZ"); }
inline std::string FlashGetLinkOf(std::string_view address) {
  return LinkOf("Flashget://", "[FLASHGET]", address, "[FLASHGET]");
}
inline std::string QqdlLinkOf(std::string_view address) { return LinkOf("qqdl://", "", address, ""); }

}  // namespace zelvorn::wintest
