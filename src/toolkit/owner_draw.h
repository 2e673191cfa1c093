// The pictures and buttons that the toolkit draws itself: push buttons in the
// table's colours, icons, and the items of the folder controls.
#pragma once

#include <windows.h>

#include <string>

namespace miwake {

// The size of one of `count` glyphs side by side in a bitmap.
SIZE GlyphSize(HBITMAP bitmap, int count = 1);
// Draws glyph `index` without the colour of its bottom-left pixel.
void DrawTransparent(HDC dc, HBITMAP bitmap, POINT at, int index = 0, int count = 1);

// A push button with its caption, and a glyph before it from `glyphs` (two
// side by side, the second for the disabled button) when there is one; a
// default button gets a black frame. A null font is the default GUI font.
void DrawButton(const DRAWITEMSTRUCT& item, bool is_default, HBITMAP glyphs, HFONT font,
                COLORREF text_colour);

// The icon resource at its natural size in the item's top-left corner.
void DrawIconItem(const DRAWITEMSTRUCT& item, const char* icon);

// Draws an item's background, and its picture and text vertically centred,
// each at its distance from the item's left edge.
void DrawPictureItem(const DRAWITEMSTRUCT& item, HBITMAP picture, int picture_left, int text_left,
                     const std::string& text);

}  // namespace miwake
