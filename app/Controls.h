// The window ids of the main window's controls: one rule, shared by the
// program, its tests and the benchmark, which find a control by its id.
#pragma once

#include <optional>

#include "links/Window.h"

namespace zelvorn {

// Each control's id is the first id plus its place in Control. (Below 1000
// lie the message boxes' IDOK, IDYES...; 0xFFFF is a static's "no id".)
inline constexpr int kFirstControlId = 1000;

constexpr int ControlId(Control control) { return kFirstControlId + static_cast<int>(control); }

constexpr std::optional<Control> ControlOfId(int id) {
  if (id < kFirstControlId || id >= kFirstControlId + kControlCount) return std::nullopt;
  return static_cast<Control>(id - kFirstControlId);
}

}  // namespace zelvorn
