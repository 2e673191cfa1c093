// Owners of GDI objects.
#pragma once

#include <windows.h>

#include "common/win32_handle.h"

namespace miwake {

struct FontHandleTraits {
  using Handle = HFONT;
  static Handle Invalid() { return nullptr; }
  static bool Release(Handle h) { return ::DeleteObject(h) != 0; }
};

using FontHandle = UniqueHandle<FontHandleTraits>;

}  // namespace miwake
