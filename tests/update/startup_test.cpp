// The real Zelvorn.exe at start, for each answer of the forum server, and its
// web links, seen from outside as the user sees them: which boxes appear
// with which texts, when the window shows, what the version label says, how
// the program ends and which command lines the stand-in explorer.exe got.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace zelvorn {
namespace {

using namespace std::chrono_literals;
using testing::Clock;
using testing::ForumServer;
using testing::Slurp;
using testing::WaitFor;

const ForumServer kServer(ZELVORN_TEST_SERVER_DIR);
const std::string kAppDir = ZELVORN_TEST_APP_DIR;        // beside the stand-in explorer.exe
const std::string kBrokenDir = ZELVORN_TEST_BROKEN_DIR;  // beside an explorer.exe that is no program
const std::string kForum = ZELVORN_TEST_FORUM;
const std::string kVersionRequest = "GET /Pendrake/Zelvorn%B0%E6%B1%BE%BA%C5.txt HTTP/1.0\r\n";

// Texts as the code page 936 bytes that the label holds.
const std::string kLatest = "\xD2\xD1\xCA\xC7\xD7\xEE\xD0\xC2\xB0\xE6\xB1\xBE";  // 已是最新版本
const std::string kFailed = "\xBC\xEC\xB2\xE2\xCA\xA7\xB0\xDC";                  // 检测失败

std::wstring Wide(const std::string& utf8) {
  std::wstring w(utf8.size(), L'\0');
  w.resize(static_cast<std::size_t>(MultiByteToWideChar(
      CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), static_cast<int>(w.size()))));
  return w;
}

std::wstring WideText(HWND hwnd) {
  wchar_t text[1024] = {};
  GetWindowTextW(hwnd, text, 1024);
  return text;
}

std::string AnsiText(HWND hwnd) {
  char text[1024] = {};
  const auto n = SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return std::string(text, static_cast<std::size_t>(n));
}

std::wstring ClassName(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

// The controls' window ids: 1000 plus their place in the layout.
enum : int {
  kBanner = 1000, kSourceBox = 1002, kResultBox = 1005, kToThunderButton = 1008, kThunderDownloadButton = 1014,
  kFlashGetDownloadButton = 1015, kQqdlDownloadButton = 1016, kVersionLabel = 1019, kForumBar = 1020,
};

// A control anywhere inside the main window, by its id.
HWND Item(HWND main, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      main,
      [](HWND hwnd, LPARAM p) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(p);
        if (GetDlgCtrlID(hwnd) != s.id) return TRUE;
        s.found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A message box as the user sees it.
struct Box {
  std::wstring title, text;
  std::set<int> buttons;  // IDYES, IDNO, IDOK...
};

Box ReadBox(HWND hwnd) {
  Box box{WideText(hwnd), {}, {}};
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassName(child) == L"Button") box.buttons.insert(GetDlgCtrlID(child));
    else if (ClassName(child) == L"Static" && GetWindowTextLengthW(child) > 0) box.text = WideText(child);
  }
  return box;
}

// One run of Zelvorn.exe from a folder; killed at the end if still running.
class Program {
 public:
  explicit Program(const std::string& dir) : dir_(dir) {
    DeleteFileA(ExplorerLog().c_str());
    DeleteFileA(ExitLog().c_str());
    SetEnvironmentVariableA("ZELVORN_EXPLORER_LOG", ExplorerLog().c_str());
    SetEnvironmentVariableA("ZELVORN_EXIT_LOG", ExitLog().c_str());
    std::string command = "\"" + dir + "\\Zelvorn.exe\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    launched_ = Clock::now();
    started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                              &startup, &process_);
  }
  ~Program() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  bool Started() const { return started_; }

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
          if (pid != s.pid || !IsWindowVisible(hwnd) || ClassName(hwnd) != s.cls) return TRUE;
          s.found = hwnd;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  HWND MainWindow() const { return Find(L"ZelvornMain"); }
  HWND MessageBox() const { return Find(L"#32770"); }

  // Waits for the main window or a message box, whichever shows first.
  HWND WaitForWindowOrBox(std::chrono::milliseconds limit = 15s) {
    HWND hwnd = nullptr;
    WaitFor([&] { return (hwnd = MainWindow()) || (hwnd = MessageBox()) || Ended(); }, limit);
    if (hwnd) firstShownAfterMs_ = testing::MsSince(launched_);
    if (hwnd && hwnd == MainWindow()) shownAfterMs_ = firstShownAfterMs_;
    return hwnd;
  }
  // Waits for the main window; false when the program ends first or a box
  // stays open instead.
  HWND WaitForMainWindow(std::chrono::milliseconds limit = 15s) {
    HWND hwnd = nullptr;
    WaitFor([&] { return (hwnd = MainWindow()) || Ended(); }, limit);
    if (hwnd) shownAfterMs_ = testing::MsSince(launched_);
    return hwnd;
  }
  long long ShownAfterMs() const { return shownAfterMs_; }
  long long FirstShownAfterMs() const { return firstShownAfterMs_; }

  bool Ended() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }
  // The exit code once ended, watching that the main window never shows
  // meanwhile; -1 when it does not end within the limit.
  long long ExitCode(bool* windowShown = nullptr, std::chrono::milliseconds limit = 10s) const {
    const bool ended = WaitFor([&] {
      if (windowShown && MainWindow()) *windowShown = true;
      return Ended();
    }, limit);
    DWORD code = 0;
    return ended && GetExitCodeProcess(process_.hProcess, &code) ? code : -1;
  }

  std::string ExplorerLog() const { return dir_ + "\\explorer.log"; }
  std::string ExitLog() const { return dir_ + "\\exit.log"; }

 private:
  std::string dir_;
  PROCESS_INFORMATION process_{};
  bool started_ = false;
  Clock::time_point launched_;
  long long shownAfterMs_ = -1, firstShownAfterMs_ = -1;
};

void Press(HWND box, int button) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0); }

// Closes the window as the user would and checks the way out.
void CloseAndExpectCleanEnd(Program& program, HWND main) {
  PostMessageW(Item(main, kSourceBox), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(program.ExitCode(), 0);
#ifdef ZELVORN_TEST_HOOKS
  EXPECT_EQ(Slurp(program.ExitLog()), "OnProgramExit\n");
#endif
}

const Box kPrompt{Wide("下载提示"), Wide("已发现最新版本，是否下载？"), {IDYES, IDNO}};
const Box kWarning{L"", Wide("当前不为最新版本，可能会导致非法！"), {IDOK}};

void ExpectBox(HWND hwnd, const Box& expected) {
  ASSERT_NE(hwnd, nullptr);
  const Box box = ReadBox(hwnd);
  EXPECT_EQ(box.title, expected.title);
  EXPECT_EQ(box.text, expected.text);
  EXPECT_EQ(box.buttons, expected.buttons);
}

struct StartCase {
  const char* name;
  const char* mode;
  bool prompt;  // the prompt, answered No, and the warning come first
  std::string label;
  long long shownWithinMs;
};

std::ostream& operator<<(std::ostream& out, const StartCase& c) { return out << c.name; }

class Start : public ::testing::TestWithParam<StartCase> {};

TEST_P(Start, ShowsTheWindowWithTheVersionLabelAndAsksOnlyForAFetchedOtherVersion) {
  const StartCase& c = GetParam();
  ASSERT_TRUE(kServer.SetMode(c.mode));
  Program program(kAppDir);
  ASSERT_TRUE(program.Started());
  HWND first = program.WaitForWindowOrBox();
  ASSERT_NE(first, nullptr) << "neither window nor box";
  if (c.prompt) {
    ASSERT_EQ(first, program.MessageBox()) << "no prompt";
    ExpectBox(first, kPrompt);
    EXPECT_EQ(program.MainWindow(), nullptr) << "the window shows only after the check";
    Press(first, IDNO);
    HWND warning = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (warning = program.MessageBox()) && warning != first; }));
    ExpectBox(warning, kWarning);
    EXPECT_EQ(program.MainWindow(), nullptr);
    Press(warning, IDOK);
  } else {
    ASSERT_EQ(ClassName(first), L"ZelvornMain") << "a box nobody should see: " << ReadBox(first).text;
  }
  HWND main = program.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(AnsiText(Item(main, kVersionLabel)), c.label);
  if (!c.prompt) {
    EXPECT_LE(program.ShownAfterMs(), c.shownWithinMs);
  }
  // Read by bench/startup_times.sh.
  std::printf("[  shown   ] %s %s %lld ms after launch\n", c.mode, c.prompt ? "prompt" : "window",
              program.FirstShownAfterMs());
  const std::string requests = kServer.Requests();
  if (std::string(c.mode) != "down") {
    EXPECT_EQ(requests.rfind(kVersionRequest, 0), 0u) << requests;
    EXPECT_EQ(requests.find("\r\n\r\n"), requests.size() - 4) << "asked more than once:\n" << requests;
  }
  CloseAndExpectCleanEnd(program, main);
  EXPECT_EQ(Slurp(program.ExplorerLog()), "") << "nothing opens at start without a Yes";
}

INSTANTIATE_TEST_SUITE_P(
    ForumServer, Start,
    ::testing::Values(StartCase{"same_version", "V1.3", false, kLatest, 4000},
                      StartCase{"zero_byte_ends_the_text", "nul", false, kLatest, 4000},
                      StartCase{"newer_version_answered_No", "V1.4", true, "V1.4", 0},
                      StartCase{"line_break_makes_it_another_version", "crlf", true, "V1.3\r\n", 0},
                      StartCase{"error_page_is_a_failed_check", "not_found", false, kFailed, 4000},
                      StartCase{"over_64_KiB_is_a_failed_check", "over_cap", false, kFailed, 4000},
                      StartCase{"no_answer_shows_within_6_s", "hang", false, kFailed, 6000},
                      StartCase{"no_server_shows_within_2_s", "down", false, kFailed, 2000}),
    [](const auto& param) { return std::string(param.param.name); });

struct YesCase {
  const char* name;
  const std::string& dir;
  std::string explorerLog;
};

std::ostream& operator<<(std::ostream& out, const YesCase& c) { return out << c.name; }

class StartYes : public ::testing::TestWithParam<YesCase> {};

TEST_P(StartYes, OpensTheDownloadThreadAndEndsBeforeTheWindowEverShows) {
  const YesCase& c = GetParam();
  ASSERT_TRUE(kServer.SetMode("V1.4"));
  Program program(c.dir);
  ASSERT_TRUE(program.Started());
  HWND prompt = program.WaitForWindowOrBox();
  ASSERT_NE(prompt, nullptr);
  ASSERT_EQ(prompt, program.MessageBox());
  Press(prompt, IDYES);
  bool windowShown = false;
  EXPECT_EQ(program.ExitCode(&windowShown), 0);
  EXPECT_FALSE(windowShown);
#ifdef ZELVORN_TEST_HOOKS
  EXPECT_EQ(Slurp(program.ExitLog()), "OnProgramExit\n");
#endif
  EXPECT_EQ(Slurp(program.ExplorerLog()), c.explorerLog);
}

INSTANTIATE_TEST_SUITE_P(
    Explorer, StartYes,
    ::testing::Values(YesCase{"started", kAppDir, "1|explorer.exe " + kForum + "/thread-36-1-1.html\n"},
                      YesCase{"cannot_be_started", kBrokenDir, ""}),
    [](const auto& param) { return std::string(param.param.name); });

// Presses each of the five link controls, the Thunder button twice.
void PressTheLinks(HWND main) {
  PostMessageW(Item(main, kBanner), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  PostMessageW(Item(main, kBanner), WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  PostMessageW(Item(main, kBanner), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
  PostMessageW(Item(main, kBanner), WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
  for (int id : {kThunderDownloadButton, kThunderDownloadButton, kFlashGetDownloadButton, kQqdlDownloadButton, kForumBar})
    PostMessageW(Item(main, id), BM_CLICK, 0, 0);
}

TEST(WebLinks, EachControlStartsExplorerWithItsRootPage) {
  ASSERT_TRUE(kServer.SetMode("V1.3"));
  Program program(kAppDir);
  HWND main = program.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  PressTheLinks(main);
  std::string log;
  WaitFor([&] {
    log = Slurp(program.ExplorerLog());
    return std::count(log.begin(), log.end(), '\n') >= 7;
  });
  const std::string site = "1|explorer.exe " ZELVORN_TEST_SITE "/\n";
  const std::string thunder = "1|explorer.exe " ZELVORN_TEST_THUNDER "/\n";
  EXPECT_EQ(log, site + site + thunder + thunder + "1|explorer.exe " ZELVORN_TEST_FLASHGET "/\n" +
                     "1|explorer.exe " ZELVORN_TEST_QQDL "/\n" + "1|explorer.exe " + kForum + "/\n");
  EXPECT_EQ(program.MessageBox(), nullptr);
  CloseAndExpectCleanEnd(program, main);
}

TEST(WebLinks, WithoutAWorkingExplorerNothingHappensAndTheWindowStaysUsable) {
  ASSERT_TRUE(kServer.SetMode("V1.3"));
  Program program(kBrokenDir);
  HWND main = program.WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  PressTheLinks(main);
  // A conversion queued behind the presses still runs, and no box shows.
  SendMessageA(Item(main, kSourceBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ftp://a/"));
  PostMessageW(Item(main, kToThunderButton), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return AnsiText(Item(main, kResultBox)) == "thunder://QUFmdHA6Ly9hL1pa"; }, 5s));
  EXPECT_EQ(program.MessageBox(), nullptr);
  EXPECT_FALSE(program.Ended());
  EXPECT_EQ(Slurp(program.ExplorerLog()), "");
  CloseAndExpectCleanEnd(program, main);
}

}  // namespace
}  // namespace zelvorn
