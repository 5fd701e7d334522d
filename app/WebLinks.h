// The pages the program opens, each by running "explorer.exe " plus the
// address, which hands the address to the user's web browser.
#pragma once

#include <chrono>

#include "text/Text.h"

namespace zelvorn {

enum class WebPage {
  MakerSite,       // Banner, either mouse button pressed
  MakerForum,      // ForumBar, the bottom bar
  Thunder,         // ThunderDownloadButton
  FlashGet,        // FlashGetDownloadButton
  Qqdl,            // QqdlDownloadButton
  DownloadThread,  // the update check's Yes
};

// "explorer.exe " followed by the page's address.
Text ExplorerCommandLine(WebPage page);

// How long OpenWithExplorer waits at most for the started program to become
// ready for input: a press holds the window no longer than this.
inline constexpr std::chrono::milliseconds kExplorerReadyWait{1000};

// Starts the command line without waiting for it to finish (at most
// kExplorerReadyWait for it to become ready for input); false when it could
// not be started. Shows nothing either way.
bool OpenWithExplorer(const Text& commandLine);

// The handlers of the five link controls: open the page, ignore the outcome.
void OpenWebPage(WebPage page);

}  // namespace zelvorn
