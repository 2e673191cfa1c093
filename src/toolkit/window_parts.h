// What the files of Window share besides the class; for the toolkit only.
#pragma once

#include <windows.h>

#include "toolkit/window.h"

namespace miwake {

inline bool CanTakeFocus(HWND control) {
  return control != nullptr && ::IsWindowVisible(control) && ::IsWindowEnabled(control);
}

inline bool IsButton(const ControlRow& row) {
  return row.kind == ControlKind::kButton || row.kind == ControlKind::kDefaultButton;
}

}  // namespace miwake
