// The seam between the program's operations and its window: the few things
// the conversions, the clipboard buttons and the update check ask of it. The
// Windows program implements it on its real controls; tests use one in memory.
#pragma once

#include <string>
#include <string_view>

#include "text/Text.h"

namespace zelvorn {

// The controls of the main window, named by their role. The window's control
// table (app/MainWindow_win.cpp) gives each one's place and its name in the
// window designer; app/Controls.h gives each one's window id.
enum class Control {
  Banner,
  SourceGroup,
  SourceBox,
  PasteButton,
  ResultGroup,
  ResultBox,
  CopyButton,
  ConversionGroup,
  ToThunderButton,
  FromThunderButton,
  ToFlashGetButton,
  FromFlashGetButton,
  ToQqdlButton,
  FromQqdlButton,
  ThunderDownloadButton,
  FlashGetDownloadButton,
  QqdlDownloadButton,
  VersionGroup,
  VersionCaption,
  VersionLabel,
  ForumBar,
};
inline constexpr int kControlCount = 21;

// The three kinds of message box the program shows; all are task-modal and
// have no owner window.
enum class MessageStyle {
  OkError,        // OK button, error (stop) icon
  YesNoQuestion,  // Yes and No, question icon
  OkExclamation,  // OK button, exclamation icon
};

enum class MessageAnswer { Ok, Yes, No };

class Window {
 public:
  // The whole text of an edit box or the caption of a label, as an
  // address's bytes: GBK (code page 936, whatever the system's own) when
  // every character has a GBK form, else UTF-8. Line breaks come back as
  // CR LF.
  virtual Text GetControlText(Control control) = 0;
  // Replaces the whole text with what an address's bytes spell: the text
  // they are in UTF-8 when they are valid UTF-8 with a byte of 0x80 or
  // more, else their GBK reading. Nothing is trimmed.
  virtual void SetControlText(Control control, const Text& text) = 0;
  // The same text as UTF-8, character for character: for text that moves
  // as it stands (the clipboard), which the bytes' rule above could change
  // (GBK bytes can read as UTF-8).
  virtual std::string GetControlCaption(Control control) = 0;
  // Replaces the text with UTF-8 text, character for character: the
  // program's own texts and text that moves as it stands.
  virtual void SetControlCaption(Control control, std::string_view utf8) = 0;
  // Dispatches every message waiting in the thread's queue (not a quit
  // message at its head); may run any handler of the window to its end.
  virtual void PumpPendingMessages() = 0;
  // Texts are UTF-8; returns when the user has closed the box.
  virtual MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                                    MessageStyle style) = 0;

 protected:
  ~Window() = default;
};

}  // namespace zelvorn
