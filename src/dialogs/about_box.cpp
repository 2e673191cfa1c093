#include "dialogs/about_box.h"

#include "dialogs/dialog_rules.h"

namespace miwake {

TAboutBox::TAboutBox(Passkey, const DialogPorts& ports)
    : Window(kAboutDesign, ports.boxes), main_window_(ports.main_window) {}

std::unique_ptr<TAboutBox> TAboutBox::Create(HINSTANCE instance, const DialogPorts& ports) {
  auto box = std::make_unique<TAboutBox>(Passkey{}, ports);
  if (!box->CreateHidden(instance, ports.main_window)) return nullptr;
  return box;
}

void TAboutBox::OnShow() {
  FormShow();
  if (centred_) return;
  centred_ = true;
  RECT outer{};
  ::GetWindowRect(hwnd(), &outer);
  const ScreenPoint at =
      CentredOrigin(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                    outer.right - outer.left, outer.bottom - outer.top);
  ::SetWindowPos(hwnd(), nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TAboutBox::FormShow() {
  PlaceBesideMain(hwnd(), main_window_);
}

void TAboutBox::OKButtonClick() {
  ::ShowWindow(hwnd(), SW_HIDE);
}

void TAboutBox::OnCommand(int id) {
  if (id == kOKButton) OKButtonClick();
}

LRESULT TAboutBox::HandleMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg != WM_CLOSE) return DefaultHandling(msg, wparam, lparam);
  OKButtonClick();
  return 0;
}

}  // namespace miwake
