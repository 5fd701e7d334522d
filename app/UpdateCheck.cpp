#include "app/UpdateCheck.h"

#include "app/Addresses.h"
#include "app/WebLinks.h"

namespace zelvorn {

std::optional<Text> CurrentVersion;

Text VersionFileAddress() {
  return ConcatText({addresses::kForum, "/Pendrake/Zelvorn%B0%E6%B1%BE%BA%C5.txt"});
}

void CheckForUpdate(Window& window, const UpdatePlatform& platform) {
  CurrentVersion = Text(kRunningVersion);
  const std::optional<Bytes> body = platform.httpGetBytes(VersionFileAddress());
  // Nothing fetched is no news of a release: saying there is one would send
  // every user without a connection to the download page.
  if (!body || body->empty()) {
    window.SetControlCaption(Control::VersionLabel, "检测失败");
    return;
  }
  window.SetControlText(Control::VersionLabel, BytesToText(*body));
  if (!TextEquals(window.GetControlText(Control::VersionLabel), *CurrentVersion)) {
    const MessageAnswer answer = window.ShowMessage("已发现最新版本，是否下载？", "下载提示",
                                                    MessageStyle::YesNoQuestion);
    if (answer == MessageAnswer::Yes) {
      platform.openWithExplorer(ExplorerCommandLine(WebPage::DownloadThread));
      platform.endProgram(0);
      return;
    }
    window.ShowMessage("当前不为最新版本，可能会导致非法！", "", MessageStyle::OkExclamation);
  }
  if (TextEquals(window.GetControlText(Control::VersionLabel), *CurrentVersion))
    window.SetControlCaption(Control::VersionLabel, "已是最新版本");
}

}  // namespace zelvorn
