// FMIWAKER.EXE: the adapters, the main window and the message loop.
#include <objbase.h>
#include <windows.h>

#include "app/main_form.h"
#include "app/win32_platform.h"

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

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  const ComScope com;
  miwake::Win32Platform platform;
  auto form = miwake::Tmainform::Create(instance, platform.Ports());
  if (!form) return 1;
  platform.SetMainWindow(form->hwnd());
  ::ShowWindow(form->hwnd(), miwake::MainWindowShowCommand(show));
  MSG msg{};
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (form->PreTranslateMessage(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
