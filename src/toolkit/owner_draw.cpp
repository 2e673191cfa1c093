#include "toolkit/owner_draw.h"

#include "common/gdi_handle_win32.h"
#include "toolkit/window.h"

namespace miwake {

SIZE GlyphSize(HBITMAP bitmap, int count) {
  BITMAP info{};
  ::GetObjectA(bitmap, sizeof info, &info);
  return {info.bmWidth / count, info.bmHeight};
}

void DrawTransparent(HDC dc, HBITMAP bitmap, POINT at, int index, int count) {
  const SIZE size = GlyphSize(bitmap, count);
  const MemoryDc memory(::CreateCompatibleDC(dc));
  const HGDIOBJ previous = ::SelectObject(memory.get(), bitmap);
  const int left = index * size.cx;
  const COLORREF clear = ::GetPixel(memory.get(), left, size.cy - 1);
  ::TransparentBlt(dc, at.x, at.y, size.cx, size.cy, memory.get(), left, 0, size.cx, size.cy,
                   clear);
  ::SelectObject(memory.get(), previous);
}

void DrawButton(const DRAWITEMSTRUCT& item, bool is_default, HBITMAP glyphs, HFONT font,
                COLORREF text_colour) {
  const HDC dc = item.hDC;
  RECT frame = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  if (is_default) {
    ::FrameRect(dc, &frame, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::InflateRect(&frame, -1, -1);
  }
  ::DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  const std::string caption = WindowText(item.hwndItem);
  RECT text = item.rcItem;
  if (pushed) ::OffsetRect(&text, 1, 1);
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  if (glyphs != nullptr) {
    const SIZE one = GlyphSize(glyphs, 2);
    DrawTransparent(dc, glyphs, {text.left + 2, (text.top + text.bottom - one.cy) / 2},
                    disabled ? 1 : 0, 2);
    text.left += 2 + one.cx;
  }
  const int saved = ::SaveDC(dc);
  ::SelectObject(dc, font != nullptr ? font : ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, disabled ? ::GetSysColor(COLOR_GRAYTEXT) : text_colour);
  const UINT prefix = (item.itemState & ODS_NOACCEL) != 0 ? DT_HIDEPREFIX : 0;
  ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | prefix);
  ::RestoreDC(dc, saved);
  if ((item.itemState & ODS_FOCUS) != 0) {
    RECT focus = item.rcItem;
    ::InflateRect(&focus, -4, -4);
    ::DrawFocusRect(dc, &focus);
  }
}

void DrawIconItem(const DRAWITEMSTRUCT& item, const char* icon) {
  const auto instance =
      reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(item.hwndItem, GWLP_HINSTANCE));
  const auto picture =
      static_cast<HICON>(::LoadImageA(instance, icon, IMAGE_ICON, 32, 32, LR_SHARED));
  ::DrawIconEx(item.hDC, 0, 0, picture, 0, 0, 0, nullptr, DI_NORMAL);
}

void DrawPictureItem(const DRAWITEMSTRUCT& item, HBITMAP picture, int picture_left, int text_left,
                     const std::string& text) {
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const HDC dc = item.hDC;
  ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const RECT& r = item.rcItem;
  if (picture != nullptr) {
    DrawTransparent(dc, picture,
                    {r.left + picture_left, (r.top + r.bottom - GlyphSize(picture).cy) / 2});
  }
  RECT text_box{r.left + text_left, r.top, r.right, r.bottom};
  const int saved = ::SaveDC(dc);
  ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(0, 0, 0));
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &text_box,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  ::RestoreDC(dc, saved);
  if ((item.itemState & ODS_FOCUS) != 0) ::DrawFocusRect(dc, &item.rcItem);
}

}  // namespace miwake
