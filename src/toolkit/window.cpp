#include "toolkit/window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/app_error.h"
#include "common/io_error_text.h"

namespace miwake {
namespace {

FontHandle MakeFont(const FontSpec& font) {
  return FontHandle(::CreateFontA(-font.height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                  SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.face));
}

constexpr FontSpec kFontA{"System", 13};

void RegisterClassOnce(HINSTANCE instance, const WindowDesign& design, WNDPROC procedure) {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExA(instance, design.class_name, &existing)) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = design.class_name;
  if (design.icon_id != 0) {
    wc.hIcon = static_cast<HICON>(
        ::LoadImageA(instance, MAKEINTRESOURCEA(design.icon_id), IMAGE_ICON, 16, 16, LR_SHARED));
    wc.hIconSm = wc.hIcon;
  }
  if (::RegisterClassExA(&wc) == 0) throw AppError(IoErrorText(static_cast<int>(::GetLastError())));
}

bool CanTakeFocus(HWND control) {
  return control != nullptr && ::IsWindowVisible(control) && ::IsWindowEnabled(control);
}

bool IsButton(const ControlRow& row) {
  return row.kind == ControlKind::kButton || row.kind == ControlKind::kDefaultButton;
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The letter after a single "&" in a caption, or 0.
char MnemonicOf(std::string_view caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return LowerAscii(caption[i + 1]);
    ++i;
  }
  return '\0';
}

}  // namespace

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

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

Window::Window(const WindowDesign& design, AppMessageBox& boxes) : design_(design), boxes_(boxes) {}

Window::~Window() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

bool Window::CreateHidden(HINSTANCE instance, HWND owner) {
  try {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    RegisterClassOnce(instance, design_, WindowProc);
  } catch (const std::exception& error) {
    ShowError(error);
    return false;
  }
  const HMENU menu =
      design_.menu_id != 0 ? ::LoadMenuA(instance, MAKEINTRESOURCEA(design_.menu_id)) : nullptr;
  RECT outer{0, 0, design_.width, design_.height};
  if (design_.client_size)
    ::AdjustWindowRectEx(&outer, design_.style, menu != nullptr, design_.ex_style);
  ::CreateWindowExA(design_.ex_style, design_.class_name, design_.caption, design_.style,
                    design_.left, design_.top, outer.right - outer.left, outer.bottom - outer.top,
                    owner, menu, instance, this);
  return hwnd_ != nullptr;
}

void Window::ShowFront() {
  if (!::IsWindowVisible(hwnd_)) {
    const bool first = !controls_made_;
    if (first) CreateControls();
    try {
      if (first) OnCreate();
      OnShow();
    } catch (const std::exception& error) {
      ShowError(error);
    }
    ::ShowWindow(hwnd_, SW_SHOW);
  }
  ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  ::SetForegroundWindow(hwnd_);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) {
    auto* self =
        static_cast<Window*>(reinterpret_cast<const CREATESTRUCTA*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcA(hwnd, msg, wparam, lparam);
  if (msg == WM_NCDESTROY) {
    ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return ::DefWindowProcA(hwnd, msg, wparam, lparam);
  }
  // No exception may cross into the system's code: each ends its handler
  // and is shown, and the program goes on.
  try {
    return self->Dispatch(msg, wparam, lparam);
  } catch (const std::exception& error) {
    self->ShowError(error);
    return 0;
  }
}

LRESULT CALLBACK Window::ControlProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                     DWORD_PTR self) {
  auto* window = reinterpret_cast<Window*>(self);
  if (msg == WM_SETFOCUS) window->focus_ = hwnd;
  if (msg == WM_NCDESTROY) ::RemoveWindowSubclass(hwnd, ControlProc, id);
  try {
    if (msg == WM_MOUSEMOVE) {
      if (const ControlRow* row = window->RowOf(static_cast<int>(id)))
        window->OnControlMouseMove(*row);
    } else if (msg == WM_KEYDOWN) {
      CustomControl* custom = window->CustomOf(static_cast<int>(id));
      if (custom != nullptr && custom->KeyDown(wparam)) return 0;
    }
  } catch (const std::exception& error) {
    window->ShowError(error);
    if (msg == WM_KEYDOWN) return 0;
  }
  return ::DefSubclassProc(hwnd, msg, wparam, lparam);
}

LRESULT Window::Dispatch(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_CREATE:
      if (design_.lazy_controls) return 0;
      // A window without its controls is of no use: its creation fails.
      try {
        CreateControls();
      } catch (const std::exception& error) {
        ShowError(error);
        return -1;
      }
      OnCreate();
      return 0;
    case WM_ACTIVATE: {
      const LRESULT result = DefaultHandling(msg, wparam, lparam);
      if (LOWORD(wparam) != WA_INACTIVE && !::IsIconic(hwnd_)) RestoreFocus();
      return result;
    }
    case WM_COMMAND:
      if (lparam == 0 || HIWORD(wparam) == BN_CLICKED) {
        OnCommand(LOWORD(wparam));
      } else if (CustomControl* custom = CustomOf(LOWORD(wparam))) {
        custom->Notify(HIWORD(wparam));
      }
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      const HWND control = reinterpret_cast<HWND>(lparam);
      const ControlRow* row = RowOf(::GetDlgCtrlID(control));
      if (row == nullptr) break;
      const HDC dc = reinterpret_cast<HDC>(wparam);
      ::SetTextColor(dc, TextColourOf(*row));
      // A read-only field keeps the white of an editable one; labels stand
      // on the window's face.
      const int face = row->kind == ControlKind::kLabel ? COLOR_BTNFACE : COLOR_WINDOW;
      ::SetBkColor(dc, ::GetSysColor(face));
      return reinterpret_cast<LRESULT>(::GetSysColorBrush(face));
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      const ControlRow* row = RowOf(static_cast<int>(item.CtlID));
      CustomControl* custom = CustomOf(static_cast<int>(item.CtlID));
      if (row == nullptr) break;
      if (item.CtlType == ODT_BUTTON) {
        DrawButton(item, *row);
      } else if (row->kind == ControlKind::kPicture) {
        const auto instance =
            reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(hwnd_, GWLP_HINSTANCE));
        const auto icon =
            static_cast<HICON>(::LoadImageA(instance, row->picture, IMAGE_ICON, 32, 32, LR_SHARED));
        ::DrawIconEx(item.hDC, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
      } else if (custom != nullptr) {
        custom->Draw(item);
      }
      return TRUE;
    }
    default:
      break;
  }
  return HandleMessage(msg, wparam, lparam);
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefaultHandling(msg, wparam, lparam);
}

const ControlRow* Window::RowOf(int id) const {
  const auto it = std::find_if(design_.controls.begin(), design_.controls.end(),
                               [id](const ControlRow& row) { return row.id == id; });
  return it == design_.controls.end() ? nullptr : &*it;
}

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

void Window::RestoreFocus() {
  if (focus_ != nullptr && ::IsChild(hwnd_, focus_) && CanTakeFocus(focus_)) {
    ::SetFocus(focus_);
    return;
  }
  // First activation: the first control of the tab order.
  const ControlRow* first = nullptr;
  for (const ControlRow& row : design_.controls)
    if (row.tab_order >= 0 && (first == nullptr || row.tab_order < first->tab_order)) first = &row;
  if (first != nullptr && CanTakeFocus(Control(first->id))) ::SetFocus(Control(first->id));
}

bool Window::PreTranslateMessage(const MSG& msg) {
  if (hwnd_ == nullptr || (msg.hwnd != hwnd_ && !::IsChild(hwnd_, msg.hwnd))) return false;
  if (msg.message == WM_SYSCHAR) return PressMnemonic(static_cast<char>(msg.wParam));
  if (msg.message != WM_KEYDOWN) return false;
  if (msg.wParam == VK_RETURN) return PressEnter();
  return msg.wParam == VK_TAB && MoveByTab();
}

void Window::Click(int id) {
  ::SendMessageA(hwnd_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(id)));
}

bool Window::PressEnter() {
  const HWND focus = ::GetFocus();
  const ControlRow* focused = ::IsChild(hwnd_, focus) ? RowOf(::GetDlgCtrlID(focus)) : nullptr;
  if (focused != nullptr && IsButton(*focused)) {
    Click(focused->id);
    return true;
  }
  for (const ControlRow& row : design_.controls) {
    if (row.kind != ControlKind::kDefaultButton || !CanTakeFocus(Control(row.id))) continue;
    Click(row.id);
    return true;
  }
  return false;
}

bool Window::PressMnemonic(char key) {
  for (const ControlRow& row : design_.controls) {
    if (!IsButton(row) || MnemonicOf(row.caption) != LowerAscii(key)) continue;
    if (!CanTakeFocus(Control(row.id))) return false;
    Click(row.id);
    return true;
  }
  return false;
}

bool Window::MoveByTab() {
  std::vector<const ControlRow*> stops;
  for (const ControlRow& row : design_.controls)
    if (row.tab_order >= 0) stops.push_back(&row);
  if (stops.empty()) return false;
  std::sort(stops.begin(), stops.end(),
            [](const ControlRow* a, const ControlRow* b) { return a->tab_order < b->tab_order; });
  const int count = static_cast<int>(stops.size());
  const int step = ::GetKeyState(VK_SHIFT) < 0 ? count - 1 : 1;
  const HWND focus = ::GetFocus();
  int at = step == 1 ? count - 1 : 0;
  for (int i = 0; i < count; ++i)
    if (Control(stops[i]->id) == focus) at = i;
  for (int n = 1; n <= count; ++n) {
    const HWND next = Control(stops[(at + n * step) % count]->id);
    if (!CanTakeFocus(next)) continue;
    ::SetFocus(next);
    // As dialogs do: a field reached by Tab has its text selected.
    if (::SendMessageA(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
      ::SendMessageA(next, EM_SETSEL, 0, -1);
    break;
  }
  return true;
}

void Window::ShowError(const std::exception& error) {
  boxes_.Show(WithFullStop(error.what()), kAppTitle, kMbIconStop);
}

void Window::DrawButton(const DRAWITEMSTRUCT& item, const ControlRow& row) {
  const HDC dc = item.hDC;
  RECT frame = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  if (row.kind == ControlKind::kDefaultButton) {
    ::FrameRect(dc, &frame, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    ::InflateRect(&frame, -1, -1);
  }
  ::DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  const std::string caption = WindowText(item.hwndItem);
  RECT text = item.rcItem;
  if (pushed) ::OffsetRect(&text, 1, 1);
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  if (const HBITMAP glyphs = GlyphOf(row.id)) {
    const SIZE one = GlyphSize(glyphs, 2);
    DrawTransparent(dc, glyphs, {text.left + 2, (text.top + text.bottom - one.cy) / 2},
                    disabled ? 1 : 0, 2);
    text.left += 2 + one.cx;
  }
  const int saved = ::SaveDC(dc);
  ::SelectObject(dc, FontOf(row) != nullptr ? FontOf(row) : ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, disabled ? ::GetSysColor(COLOR_GRAYTEXT) : TextColourOf(row));
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

}  // namespace miwake
