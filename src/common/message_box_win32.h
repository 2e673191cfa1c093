// The application's modal message box over MessageBoxA.
#pragma once

#include <windows.h>

#include "common/message_box.h"

namespace miwake {

class Win32MessageBox final : public AppMessageBox {
 public:
  // `owner` is the application's own window; null until it exists.
  explicit Win32MessageBox(HWND owner = nullptr) : owner_(owner) {}
  void set_owner(HWND owner) { owner_ = owner; }

  // While the box is open every other window of the thread is disabled;
  // afterwards they are enabled again and the window that was active before
  // is activated.
  int Show(std::string_view text, std::string_view caption, unsigned flags) override;

 private:
  HWND owner_;
};

}  // namespace miwake
