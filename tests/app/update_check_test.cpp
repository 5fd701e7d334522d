// What the user sees from the update check, for each answer of the server.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "app/Lifecycle.h"
#include "app/UpdateCheck.h"
#include "app/WebLinks.h"

namespace zelvorn {

// Nothing is started from these tests.
bool OpenWithExplorer(const Text&) { return false; }

namespace {

using namespace std::string_literals;

class LabelWindow final : public Window {
 public:
  std::map<Control, Text> texts{{Control::VersionLabel, "检测中"}};
  std::vector<std::string> boxes;  // "title|text"
  MessageAnswer answer = MessageAnswer::No;

  Text GetControlText(Control c) override { return texts[c]; }
  void SetControlText(Control c, const Text& t) override { texts[c] = t; }
  std::string GetControlCaption(Control c) override { return texts[c]; }
  void SetControlCaption(Control c, std::string_view utf8) override { texts[c] = utf8; }
  void PumpPendingMessages() override {}
  MessageAnswer ShowMessage(std::string_view text, std::string_view title, MessageStyle) override {
    boxes.push_back(std::string(title) + "|" + std::string(text));
    return boxes.size() == 1 ? answer : MessageAnswer::Ok;
  }
};

const std::string kPrompt = "下载提示|已发现最新版本，是否下载？";
const std::string kWarning = "|当前不为最新版本，可能会导致非法！";

struct Case {
  const char* name;
  std::optional<Bytes> body;
  std::vector<std::string> boxes;
  std::string label;
};

TEST(CheckForUpdate, ShowsWhatTheServerSaid) {
  const Case cases[] = {
      {"same version", "V1.3", {}, "已是最新版本"},
      {"zero byte ends the text", "V1.3\0more"s, {}, "已是最新版本"},
      {"newer, answered No", "V1.4", {kPrompt, kWarning}, "V1.4"},
      {"line break counts", "V1.3\r\n", {kPrompt, kWarning}, "V1.3\r\n"},
      {"lower case counts", "v1.3", {kPrompt, kWarning}, "v1.3"},
      {"nothing fetched", std::nullopt, {}, "检测失败"},
      {"empty answer", "", {}, "检测失败"},
  };
  for (const Case& c : cases) {
    LabelWindow window;
    std::vector<Text> asked, started;
    const UpdatePlatform platform{
        [&](const Text& address) { asked.push_back(address); return c.body; },
        [&](const Text& line) { started.push_back(line); return true; },
        [&](int) { ADD_FAILURE() << "ended at " << c.name; }};
    CheckForUpdate(window, platform);
    EXPECT_EQ(window.boxes, c.boxes) << c.name;
    EXPECT_EQ(window.texts[Control::VersionLabel], c.label) << c.name;
    EXPECT_EQ(asked, std::vector<Text>{VersionFileAddress()});
    EXPECT_TRUE(started.empty());
    EXPECT_EQ(CurrentVersion, "V1.3");
  }
}

TEST(CheckForUpdate, YesOpensTheDownloadThreadAndEndsWithZero) {
  LabelWindow window;
  window.answer = MessageAnswer::Yes;
  std::vector<Text> started;
  std::vector<int> ended;
  CheckForUpdate(window, {[](const Text&) { return std::optional<Bytes>("V2.0"); },
                          [&](const Text& line) { started.push_back(line); return false; },
                          [&](int code) { ended.push_back(code); }});
  EXPECT_EQ(window.boxes, std::vector<std::string>{kPrompt});
  EXPECT_EQ(started, std::vector<Text>{ExplorerCommandLine(WebPage::DownloadThread)});
  EXPECT_EQ(ended, std::vector<int>{0});
}

TEST(WebLinks, CommandLinesAreExplorerAndTheRootPage) {
  EXPECT_EQ(VersionFileAddress(), "http://forum.test:8080/Pendrake/Zelvorn%B0%E6%B1%BE%BA%C5.txt");
  EXPECT_EQ(ExplorerCommandLine(WebPage::DownloadThread),
            "explorer.exe http://forum.test:8080/thread-36-1-1.html");
  EXPECT_EQ(ExplorerCommandLine(WebPage::MakerForum), "explorer.exe http://forum.test:8080/");
  EXPECT_EQ(ExplorerCommandLine(WebPage::MakerSite), "explorer.exe http://site.test/");
  EXPECT_EQ(ExplorerCommandLine(WebPage::Thunder).rfind("explorer.exe http://", 0), 0u);
}

}  // namespace
}  // namespace zelvorn
