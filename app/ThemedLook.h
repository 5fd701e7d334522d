#pragma once

namespace zelvorn {

// Switches the themed drawing of the calling thread's windows and controls:
// 1 blue, 2 olive green, 3 silver, any other value off. An earlier look is
// removed first; the new one reaches existing windows and later ones.
void ApplyThemedLook(int style);

}  // namespace zelvorn
