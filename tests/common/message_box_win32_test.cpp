// The real MessageBoxA behind the wrapper, answered by a second thread that
// finds the box and presses one of its buttons.
#include "common/message_box_win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace miwake {
namespace {

TEST(Win32MessageBoxTest, ReturnsTheAnswerAndDisablesTheOtherWindowsMeanwhile) {
  const HWND other = ::CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                       100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  Win32MessageBox boxes(other);
  for (const auto& [flags, button] : {std::pair{kMbYesNoQuestion, kIdNo},
                                      {kMbYesNoExclamation, kIdYes},
                                      {kMbOkExclamation, kIdOk}}) {
    std::atomic<bool> found = false, other_disabled = false;
    std::thread answer([&, button = button] {
      for (int i = 0; i < 500 && !found; ++i, ::Sleep(10)) {
        if (const HWND box = ::FindWindowA("#32770", "削除")) {
          found = true;
          other_disabled = !::IsWindowEnabled(other);
          ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        }
      }
    });
    EXPECT_EQ(boxes.Show("削除してもよろしいですか？", "削除", flags), button);
    answer.join();
    EXPECT_TRUE(found && other_disabled);
    EXPECT_TRUE(::IsWindowEnabled(other));
  }
  ::DestroyWindow(other);
}

}  // namespace
}  // namespace miwake
