// FMIWAKER.EXE: the adapters, the main window and the message loop.
#include <objbase.h>
#include <windows.h>

#include <algorithm>

#include "common/text.h"
#include "dialogs/about_box.h"
#include "dialogs/setdir_form.h"
#include "fmiwaker/main_form.h"
#include "fmiwaker/win32_platform.h"

namespace {

class ComScope {
 public:
  ComScope() : ok_(SUCCEEDED(::CoInitialize(nullptr))) {}
  ~ComScope() {
    if (ok_) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool ok_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show) {
  const ComScope com;
  miwake::Win32Platform platform;
  auto form = miwake::Tmainform::Create(instance, platform.Ports());
  if (!form) return 1;
  platform.SetMainWindow(form->hwnd());
  const miwake::AppPorts ports = platform.Ports();
  const miwake::DialogPorts dialog_ports{ports.profiles, ports.files, ports.boxes, form->hwnd(),
                                         form->AppDir()};
  // Created after the main window, hidden, in this order.
  const auto setdirform = miwake::Tsetdirform::Create(instance, dialog_ports);
  const auto about_box = miwake::TAboutBox::Create(instance, dialog_ports);
  form->SetDialogs(setdirform.get(), about_box.get());
  form->TakeFileName(miwake::FirstCommandLineArgument(command_line));
  ::ShowWindow(form->hwnd(), miwake::MainWindowShowCommand(show));
  miwake::Window* windows[] = {form.get(), setdirform.get(), about_box.get()};
  MSG msg{};
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (std::any_of(std::begin(windows), std::end(windows),
                    [&](miwake::Window* w) { return w && w->PreTranslateMessage(msg); }))
      continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
