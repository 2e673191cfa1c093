// The hourglass while a classification runs; nothing is pumped meanwhile,
// so setting the cursor is enough for every window of the program.
#pragma once

#include <windows.h>

#include "common/busy_cursor.h"

namespace miwake {

class Win32BusyCursor final : public BusyCursor {
 public:
  void Begin() override { previous_ = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT)); }
  void End() override { ::SetCursor(previous_); }

 private:
  HCURSOR previous_ = nullptr;
};

}  // namespace miwake
