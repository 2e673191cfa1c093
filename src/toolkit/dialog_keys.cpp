// The keys of a dialog, for windows that are not of the dialog class.
#include "toolkit/window.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "toolkit/window_parts.h"

namespace miwake {
namespace {

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

// Not IsDialogMessageA: it uses every key, turns Escape and Enter into commands 2 and 1, and
// Enter presses no owner-drawn button (it asks DM_GETDEFID and DLGC_DEFPUSHBUTTON).
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

}  // namespace miwake
