#include "app/window.h"

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

}  // namespace

Window::Window(const WindowDesign& design, AppMessageBox& boxes) : design_(design), boxes_(boxes) {}

Window::~Window() {
  if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

bool Window::CreateHidden(HINSTANCE instance) {
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
  ::CreateWindowExA(0, design_.class_name, design_.caption, design_.style, design_.left,
                    design_.top, design_.width, design_.height, nullptr, menu, instance, this);
  return hwnd_ != nullptr;
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
  switch (msg) {
    case WM_SETFOCUS:
      window->focus_ = hwnd;
      break;
    case WM_MOUSEMOVE:
      try {
        if (const ControlRow* row = window->RowOf(static_cast<int>(id)))
          window->OnControlMouseMove(*row);
      } catch (const std::exception& error) {
        window->ShowError(error);
      }
      break;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(hwnd, ControlProc, id);
      break;
    default:
      break;
  }
  return ::DefSubclassProc(hwnd, msg, wparam, lparam);
}

LRESULT Window::Dispatch(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_CREATE:
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
      if (lparam == 0 || HIWORD(wparam) == BN_CLICKED) OnCommand(LOWORD(wparam));
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
      if (item.CtlType != ODT_BUTTON || row == nullptr) break;
      DrawButton(item, *row);
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
  for (const ControlRow* row : rows) {
    DWORD style = WS_CHILD | WS_VISIBLE | (row->tab_order >= 0 ? WS_TABSTOP : 0);
    DWORD ex_style = 0;
    const char* window_class = "BUTTON";
    switch (row->kind) {
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
        style |= ES_AUTOHSCROLL | (row->kind == ControlKind::kReadOnlyEdit ? ES_READONLY : 0);
        break;
      case ControlKind::kButton:
        // Drawn by the window, so that its caption takes the table's colour.
        style |= BS_OWNERDRAW;
        break;
      case ControlKind::kStatusBar:
        window_class = STATUSCLASSNAMEA;
        style |= SBARS_SIZEGRIP;
        break;
    }
    const HWND control = ::CreateWindowExA(
        ex_style, window_class, row->caption, style, row->left, row->top, row->width, row->height,
        hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row->id)), instance, nullptr);
    if (control == nullptr) throw AppError(std::string(row->name) + " を作成できません");
    if (const HFONT font = FontOf(*row))
      ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    if (window_class == std::string_view("EDIT")) ::SendMessageA(control, EM_SETLIMITTEXT, 0, 0);
    if (row->kind == ControlKind::kStatusBar) ::SendMessageA(control, SB_SIMPLE, TRUE, 0);
    ::SetWindowSubclass(control, ControlProc, static_cast<UINT_PTR>(row->id),
                        reinterpret_cast<DWORD_PTR>(this));
  }
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
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
  if (hwnd_ == nullptr || (msg.hwnd != hwnd_ && !::IsChild(hwnd_, msg.hwnd))) return false;
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
  ::DrawFrameControl(dc, &frame, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  std::string caption(static_cast<std::size_t>(::GetWindowTextLengthA(item.hwndItem)) + 1, '\0');
  caption.resize(static_cast<std::size_t>(
      ::GetWindowTextA(item.hwndItem, caption.data(), static_cast<int>(caption.size()))));
  RECT text = item.rcItem;
  if (pushed) ::OffsetRect(&text, 1, 1);
  const int saved = ::SaveDC(dc);
  ::SelectObject(dc, FontOf(row) != nullptr ? FontOf(row) : ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(
      dc, (item.itemState & ODS_DISABLED) != 0 ? ::GetSysColor(COLOR_GRAYTEXT) : TextColourOf(row));
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
