// The window procedure that finds the object, keeps errors from escaping
// into the system, and gives the focus back on activation.
#include "toolkit/window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/app_error.h"
#include "common/io_error_text.h"
#include "toolkit/window_parts.h"

namespace miwake {
namespace {

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

}  // namespace

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
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
        DrawButton(item, row->kind == ControlKind::kDefaultButton, GlyphOf(row->id), FontOf(*row),
                   TextColourOf(*row));
      } else if (row->kind == ControlKind::kPicture) {
        DrawIconItem(item, row->picture);
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

void Window::ShowError(const std::exception& error) {
  boxes_.Show(WithFullStop(error.what()), kAppTitle, kMbIconStop);
}

}  // namespace miwake
