// The controls made from the window's table, with their fonts and glyphs.
#include "toolkit/window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/app_error.h"
#include "toolkit/window_parts.h"

namespace miwake {
namespace {

FontHandle MakeFont(const FontSpec& font) {
  return FontHandle(::CreateFontA(-font.height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                  SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.face));
}

constexpr FontSpec kFontA{"System", 13};

}  // namespace

HFONT Window::FontOf(const ControlRow& row) const {
  switch (row.font) {
    case FontChoice::kA:
    case FontChoice::kAWindowText:
      return font_a_.get();
    case FontChoice::kForm:
      return form_font_.get();
    case FontChoice::kPlatform:
      break;
  }
  return nullptr;
}

COLORREF Window::TextColourOf(const ControlRow& row) const {
  return row.font == FontChoice::kA ? RGB(0, 0, 0) : ::GetSysColor(COLOR_WINDOWTEXT);
}

void Window::CreateControls() {
  form_font_ = MakeFont(design_.form_font);
  font_a_ = MakeFont(kFontA);
  const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
  // Created in tab order, so that the z-order follows it too.
  std::vector<const ControlRow*> rows;
  for (const ControlRow& row : design_.controls) rows.push_back(&row);
  std::stable_sort(rows.begin(), rows.end(), [](const ControlRow* a, const ControlRow* b) {
    return static_cast<unsigned>(a->tab_order) < static_cast<unsigned>(b->tab_order);
  });
  try {
    for (const ControlRow* row : rows) MakeControl(*row, instance);
  } catch (...) {
    // Made again from the start at the next attempt.
    while (const HWND child = ::GetWindow(hwnd_, GW_CHILD)) ::DestroyWindow(child);
    glyphs_.clear();
    throw;
  }
  controls_made_ = true;
}

void Window::MakeControl(const ControlRow& row, HINSTANCE instance) {
  DWORD style = WS_CHILD | WS_VISIBLE | (row.tab_order >= 0 ? WS_TABSTOP : 0);
  DWORD ex_style = 0;
  const char* window_class = "BUTTON";
  int left = row.left, top = row.top, height = row.height;
  if (const ControlRow* panel = RowOf(row.inside); panel != nullptr && row.inside != 0) {
    left += panel->left;
    top += panel->top;
  }
  switch (row.kind) {
    case ControlKind::kLabel:
      // SS_NOTIFY: a label takes the mouse itself, so moving over it
      // leaves the hint as it is.
      window_class = "STATIC";
      style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
      break;
    case ControlKind::kEdit:
    case ControlKind::kReadOnlyEdit:
      window_class = "EDIT";
      ex_style = WS_EX_CLIENTEDGE;
      style |= ES_AUTOHSCROLL | (row.kind == ControlKind::kReadOnlyEdit ? ES_READONLY : 0);
      break;
    case ControlKind::kButton:
    case ControlKind::kDefaultButton:
      // Drawn by the window, so that its caption takes the table's colour.
      style |= BS_OWNERDRAW;
      break;
    case ControlKind::kStatusBar:
      window_class = STATUSCLASSNAMEA;
      style |= SBARS_SIZEGRIP;
      break;
    case ControlKind::kDropDownList:
      // The height given is the closed box's; the list drops below it.
      window_class = "COMBOBOX";
      style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL;
      height += 8 * row.height;
      break;
    case ControlKind::kOwnerDrawList:
      window_class = "LISTBOX";
      ex_style = WS_EX_CLIENTEDGE;
      style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
      break;
    case ControlKind::kPanel:
      window_class = "STATIC";
      style |= SS_ETCHEDFRAME;
      break;
    case ControlKind::kPicture:
      window_class = "STATIC";
      style |= SS_OWNERDRAW;
      break;
  }
  const HWND control = ::CreateWindowExA(
      ex_style, window_class, row.caption, style, left, top, row.width, height, hwnd_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance, nullptr);
  if (control == nullptr) throw AppError(std::string(row.name) + " を作成できません");
  if (const HFONT font = FontOf(row))
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  if (window_class == std::string_view("EDIT")) ::SendMessageA(control, EM_SETLIMITTEXT, 0, 0);
  if (row.kind == ControlKind::kStatusBar) ::SendMessageA(control, SB_SIMPLE, TRUE, 0);
  // Below the controls that stand on it.
  if (row.kind == ControlKind::kPanel)
    ::SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (IsButton(row) && row.picture != nullptr) {
    glyphs_.emplace_back(row.id, BitmapHandle(static_cast<HBITMAP>(
                                     ::LoadImageA(instance, row.picture, IMAGE_BITMAP, 0, 0, 0))));
  }
  ::SetWindowSubclass(control, ControlProc, static_cast<UINT_PTR>(row.id),
                      reinterpret_cast<DWORD_PTR>(this));
}

HBITMAP Window::GlyphOf(int id) const {
  for (const auto& [owner, bitmap] : glyphs_)
    if (owner == id) return bitmap.get();
  return nullptr;
}

}  // namespace miwake
