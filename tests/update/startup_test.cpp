// The real Zelvorn.exe at start, for each answer of the forum server, and its
// web links, seen from outside as the user sees them: which boxes appear
// with which texts, when the window shows, what the version label says, how
// the program ends and which command lines the stand-in explorer.exe got.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "WinTest.h"
#include "app/Addresses.h"
#include "app/Http.h"

namespace zelvorn {
namespace {

using namespace wintest;

const std::string kForum = addresses::kForum;
const std::string kVersionRequest = "GET /Pendrake/Zelvorn%B0%E6%B1%BE%BA%C5.txt HTTP/1.0\r\n";

// Texts as the code page 936 bytes that the label holds.
const std::string kLatest = "\xD2\xD1\xCA\xC7\xD7\xEE\xD0\xC2\xB0\xE6\xB1\xBE";  // 已是最新版本
const std::string kFailed = "\xBC\xEC\xB2\xE2\xCA\xA7\xB0\xDC";                  // 检测失败

// How long the window may take to show: the start of a program under Wine,
// plus the limit of the exchange that the server's answer runs into.
constexpr std::chrono::milliseconds kStart{2000};
constexpr std::chrono::milliseconds kAnswered = kStart + HttpLimits::kConnect;
constexpr std::chrono::milliseconds kUnanswered = kStart + HttpLimits::kFirstAnswer;

// Closes the window as the user would and checks the way out.
void CloseAndExpectCleanEnd(Program& program, HWND main) {
  PostMessageW(Child(main, Control::SourceBox), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(program.ExitCode(), 0u);
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
  std::chrono::milliseconds shownWithin;
};

std::ostream& operator<<(std::ostream& out, const StartCase& c) { return out << c.name; }

class Start : public ::testing::TestWithParam<StartCase> {};

TEST_P(Start, ShowsTheWindowWithTheVersionLabelAndAsksOnlyForAFetchedOtherVersion) {
  const StartCase& c = GetParam();
  ASSERT_TRUE(kServer.SetMode(c.mode));
  Program program;
  ASSERT_TRUE(program.Started());
  HWND first = program.WindowOrBox();
  ASSERT_NE(first, nullptr) << "neither window nor box";
  if (c.prompt) {
    ASSERT_EQ(first, program.MessageBox()) << "no prompt";
    ExpectBox(first, kPrompt);
    EXPECT_EQ(program.MainWindow(), nullptr) << "the window shows only after the check";
    Press(first, IDNO);
    HWND warning = program.Box(10s, first);
    ExpectBox(warning, kWarning);
    EXPECT_EQ(program.MainWindow(), nullptr);
    Press(warning, IDOK);
  } else {
    ASSERT_EQ(ClassOf(first), L"ZelvornMain") << "a box nobody should see: " << Utf8(ReadBox(first).text);
  }
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(TextOf(Child(main, Control::VersionLabel)), c.label);
  if (!c.prompt) {
    ASSERT_TRUE(program.ShownAfter());
    EXPECT_LE(*program.ShownAfter(), c.shownWithin);
  }
  // Read by bench/startup_times.sh.
  std::printf("[  shown   ] %s %s %lld ms after launch\n", c.mode, c.prompt ? "prompt" : "window",
              static_cast<long long>(program.FirstShownAfter().value_or(-1ms).count()));
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
    ::testing::Values(StartCase{"same_version", "V1.3", false, kLatest, kAnswered},
                      StartCase{"zero_byte_ends_the_text", "nul", false, kLatest, kAnswered},
                      StartCase{"newer_version_answered_No", "V1.4", true, "V1.4", {}},
                      StartCase{"line_break_makes_it_another_version", "crlf", true, "V1.3\r\n", {}},
                      StartCase{"error_page_is_a_failed_check", "not_found", false, kFailed, kAnswered},
                      StartCase{"over_64_KiB_is_a_failed_check", "over_cap", false, kFailed, kAnswered},
                      StartCase{"no_answer_shows_after_the_first_answer_limit", "hang", false, kFailed, kUnanswered},
                      StartCase{"no_server_shows_at_once", "down", false, kFailed, kAnswered}),
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
  HWND prompt = program.WindowOrBox();
  ASSERT_NE(prompt, nullptr);
  ASSERT_EQ(prompt, program.MessageBox());
  Press(prompt, IDYES);
  bool windowShown = false;
  EXPECT_EQ(program.ExitCode(10s, &windowShown), 0u);
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
  HWND banner = Child(main, Control::Banner);
  PostMessageW(banner, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  PostMessageW(banner, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  PostMessageW(banner, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 20));
  PostMessageW(banner, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
  for (Control c : {Control::ThunderDownloadButton, Control::ThunderDownloadButton, Control::FlashGetDownloadButton,
                    Control::QqdlDownloadButton, Control::ForumBar})
    Click(Child(main, c));
}

TEST(WebLinks, EachControlStartsExplorerWithItsRootPage) {
  ASSERT_TRUE(kServer.SetMode("V1.3"));
  Program program;
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  PressTheLinks(main);
  std::string log;
  WaitFor([&] {
    log = Slurp(program.ExplorerLog());
    return std::count(log.begin(), log.end(), '\n') >= 7;
  });
  const auto line = [](const std::string& root) { return "1|explorer.exe " + root + "/\n"; };
  EXPECT_EQ(log, line(addresses::kSite) + line(addresses::kSite) + line(addresses::kThunder) +
                     line(addresses::kThunder) + line(addresses::kFlashGet) + line(addresses::kQqdl) + line(kForum));
  EXPECT_EQ(program.MessageBox(), nullptr);
  CloseAndExpectCleanEnd(program, main);
}

TEST(WebLinks, WithoutAWorkingExplorerNothingHappensAndTheWindowStaysUsable) {
  ASSERT_TRUE(kServer.SetMode("V1.3"));
  Program program(kBrokenDir);
  HWND main = program.Main();
  ASSERT_NE(main, nullptr);
  PressTheLinks(main);
  // A conversion queued behind the presses still runs, and no box shows.
  SetTextOf(Child(main, Control::SourceBox), "ftp://a/");
  Click(Child(main, Control::ToThunderButton));
  EXPECT_TRUE(WaitFor([&] { return TextOf(Child(main, Control::ResultBox)) == "thunder://QUFmdHA6Ly9hL1pa"; }, 5s));
  EXPECT_EQ(program.MessageBox(), nullptr);
  EXPECT_FALSE(program.Ended());
  EXPECT_EQ(Slurp(program.ExplorerLog()), "");
  CloseAndExpectCleanEnd(program, main);
}

}  // namespace
}  // namespace zelvorn
