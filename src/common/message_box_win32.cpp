#include "common/message_box_win32.h"

#include <string>
#include <vector>

namespace miwake {
namespace {

BOOL CALLBACK DisableOne(HWND window, LPARAM list) {
  if (::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    ::EnableWindow(window, FALSE);
  }
  return TRUE;
}

}  // namespace

int Win32MessageBox::Show(std::string_view text, std::string_view caption, unsigned flags) {
  const HWND active = ::GetActiveWindow();
  std::vector<HWND> disabled;
  ::EnumThreadWindows(::GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&disabled));
  const int answer = ::MessageBoxA(owner_, std::string(text).c_str(), std::string(caption).c_str(),
                                   static_cast<UINT>(flags));
  for (HWND window : disabled) ::EnableWindow(window, TRUE);
  if (active != nullptr && ::IsWindow(active)) ::SetActiveWindow(active);
  return answer;
}

}  // namespace miwake
