// OpenWithExplorer with the tests' stand-in explorer.exe, which lies in this
// test program's folder and so is the one the search for "explorer.exe" finds.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "WinTest.h"
#include "app/WebLinks.h"

namespace zelvorn {
namespace {

using namespace wintest;

// The wait's own limit, and a margin for Wine and a busy machine.
constexpr std::chrono::milliseconds kMargin{700};

class OpenWithExplorerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    log_ = std::string(temp) + "zelvorn-explorer-test.log";
    DeleteFileA(log_.c_str());
    SetEnvironmentVariableA("ZELVORN_EXPLORER_LOG", log_.c_str());
  }
  void TearDown() override {
    SetEnvironmentVariableA("ZELVORN_EXPLORER_BUSY_MS", nullptr);
    SetEnvironmentVariableA("ZELVORN_EXPLORER_LOG", nullptr);
  }
  // What the stand-in wrote, once it has written `lines` lines.
  std::string Log(int lines = 1) const {
    std::string log;
    WaitFor([&] {
      log = Slurp(log_);
      return std::count(log.begin(), log.end(), '\n') >= lines;
    }, 5s);
    return log;
  }

  std::string log_;
};

TEST_F(OpenWithExplorerTest, StartsTheCommandLineAsWrittenShownNormally) {
  const Text line = "explorer.exe http://127.0.0.1:9/a b\"c";
  EXPECT_TRUE(OpenWithExplorer(line));
  // "1" is SW_SHOWNORMAL, passed through STARTF_USESHOWWINDOW.
  EXPECT_EQ(Log(), "1|" + line + "\n");
}

TEST_F(OpenWithExplorerTest, WaitsNoLongerThanItsLimitForAProgramThatNeverGetsReady) {
  SetEnvironmentVariableA("ZELVORN_EXPLORER_BUSY_MS", "6000");
  const auto start = Clock::now();
  EXPECT_TRUE(OpenWithExplorer("explorer.exe http://127.0.0.1:9/"));
  EXPECT_LE(Since(start), kExplorerReadyWait + kMargin) << "must not wait for the program to end";
  EXPECT_EQ(Log(), "1|explorer.exe http://127.0.0.1:9/\n");
}

TEST_F(OpenWithExplorerTest, AProgramThatCannotBeFoundIsReportedQuietly) {
  const auto start = Clock::now();
  EXPECT_FALSE(OpenWithExplorer("zelvorn-no-such-program.exe http://127.0.0.1:9/"));
  EXPECT_FALSE(OpenWithExplorer(""));
  EXPECT_LT(Since(start), kExplorerReadyWait) << "nothing started, nothing to wait for";
  EXPECT_EQ(Slurp(log_), "");
}

}  // namespace
}  // namespace zelvorn
