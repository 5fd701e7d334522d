#include "links/Conversions.h"

#include "links/Links.h"

namespace zelvorn {
namespace {

void PlainToLink(Window& window, const LinkFormat& format) {
  const Text source = window.GetControlText(Control::SourceBox);
  if (!CheckPlainAddress(source)) return ShowFormatError(window);
  window.SetControlText(Control::ResultBox, EncodeLink(format, source, [&] { window.PumpPendingMessages(); }));
}

void LinkToPlain(Window& window, const LinkFormat& format) {
  const auto address =
      DecodeLink(format, window.GetControlText(Control::SourceBox), [&] { window.PumpPendingMessages(); });
  if (!address) return ShowFormatError(window);
  window.SetControlText(Control::ResultBox, *address);
}

}  // namespace

void ShowFormatError(Window& window) {
  window.ShowMessage(kFormatErrorText, kFormatErrorTitle, MessageStyle::OkError);
}

void PlainToThunder(Window& window) { PlainToLink(window, kThunderLink); }
void ThunderToPlain(Window& window) { LinkToPlain(window, kThunderLink); }
void PlainToFlashGet(Window& window) { PlainToLink(window, kFlashGetLink); }
void FlashGetToPlain(Window& window) { LinkToPlain(window, kFlashGetLink); }
void PlainToQqdl(Window& window) { PlainToLink(window, kQqdlLink); }
void QqdlToPlain(Window& window) { LinkToPlain(window, kQqdlLink); }

}  // namespace zelvorn
