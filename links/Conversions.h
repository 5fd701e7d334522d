// The six conversion buttons. Each reads the whole source box SourceBox and
// either replaces the whole result box ResultBox or shows the format error;
// none of them changes SourceBox. While a long text is converted the window's
// messages are dispatched, so another button's operation can run to its end
// in the middle of this one; the one that started first writes ResultBox last.
#pragma once

#include "links/Window.h"

namespace zelvorn {

inline constexpr std::string_view kFormatErrorText = "格式错误！请输入正确的地址！";
inline constexpr std::string_view kFormatErrorTitle = "错误";

void ShowFormatError(Window& window);

void PlainToThunder(Window& window);
void ThunderToPlain(Window& window);
void PlainToFlashGet(Window& window);
void FlashGetToPlain(Window& window);
void PlainToQqdl(Window& window);
void QqdlToPlain(Window& window);

}  // namespace zelvorn
