#include "app/WebLinks.h"

#include "app/Addresses.h"

namespace zelvorn {

Text ExplorerCommandLine(WebPage page) {
  const char* root = "";
  switch (page) {
    case WebPage::MakerSite: root = addresses::kSite; break;
    case WebPage::MakerForum: root = addresses::kForum; break;
    case WebPage::Thunder: root = addresses::kThunder; break;
    case WebPage::FlashGet: root = addresses::kFlashGet; break;
    case WebPage::Qqdl: root = addresses::kQqdl; break;
    case WebPage::DownloadThread:
      return ConcatText({"explorer.exe ", addresses::kForum, "/thread-36-1-1.html"});
  }
  return ConcatText({"explorer.exe ", root, "/"});
}

void OpenWebPage(WebPage page) { OpenWithExplorer(ExplorerCommandLine(page)); }

}  // namespace zelvorn
