// FMIWAKER.EXE: the main window and its message loop.
#include <objbase.h>
#include <windows.h>

#include "app/main_form.h"

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
  auto form = miwake::Tmainform::Create(instance, {});
  if (!form) return 1;
  ::ShowWindow(form->hwnd(), miwake::MainWindowShowCommand(show));
  MSG msg{};
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (form->PreTranslateMessage(msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
