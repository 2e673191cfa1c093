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

struct BitmapHandleTraits {
  using Handle = HBITMAP;
  static Handle Invalid() { return nullptr; }
  static bool Release(Handle h) { return ::DeleteObject(h) != 0; }
};

struct MemoryDcTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static bool Release(Handle h) { return ::DeleteDC(h) != 0; }
};

using FontHandle = UniqueHandle<FontHandleTraits>;
using BitmapHandle = UniqueHandle<BitmapHandleTraits>;
using MemoryDc = UniqueHandle<MemoryDcTraits>;

}  // namespace miwake
