// The real MessageBoxA behind the wrapper, answered by a second thread that
// finds the box and presses one of its buttons.
#include "common/message_box_win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace miwake {
namespace {

struct Seen {
  std::atomic<bool> box_found{false};
  std::atomic<bool> other_window_disabled{false};
};

// Waits for the box with `caption`, notes whether `other` is disabled, and
// presses the button with id `button`.
std::thread AnswerBox(const char* caption, HWND other, int button, Seen& seen) {
  return std::thread([=, &seen] {
    for (int i = 0; i < 500; ++i) {
      if (HWND box = ::FindWindowA("#32770", caption)) {
        seen.box_found = true;
        seen.other_window_disabled = !::IsWindowEnabled(other);
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
        return;
      }
      ::Sleep(10);
    }
  });
}

TEST(Win32MessageBoxTest, ReturnsTheAnswerAndDisablesTheOtherWindowsMeanwhile) {
  const HWND other = ::CreateWindowExA(0, "STATIC", "other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                       100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  Win32MessageBox boxes(other);
  const struct {
    unsigned flags;
    int button;
  } cases[] = {{kMbYesNoQuestion, kIdNo}, {kMbYesNoExclamation, kIdYes}, {kMbOkExclamation, kIdOk}};
  for (const auto& c : cases) {
    Seen seen;
    std::thread answer = AnswerBox("削除", other, c.button, seen);
    const int got = boxes.Show("削除してもよろしいですか？", "削除", c.flags);
    answer.join();
    EXPECT_TRUE(seen.box_found);
    EXPECT_EQ(got, c.button);
    EXPECT_TRUE(seen.other_window_disabled);
    EXPECT_TRUE(::IsWindowEnabled(other));
  }
  ::DestroyWindow(other);
}

}  // namespace
}  // namespace miwake
