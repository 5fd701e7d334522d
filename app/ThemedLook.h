#pragma once

namespace zelvorn {

// The colour schemes of the themed look, and none.
enum class ThemedLook {
  Off,
  Blue,        // frames RGB(123, 158, 189)
  OliveGreen,  // frames RGB(164, 185, 127)
  Silver,      // frames RGB(198, 197, 215)
};

// Switches the themed drawing of the calling thread's windows and controls
// to the scheme, or off. An earlier look is removed first; the new one
// reaches existing windows and later ones.
void ApplyThemedLook(ThemedLook look);

}  // namespace zelvorn
