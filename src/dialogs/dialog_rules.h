// The rules of the search-folder dialog's OK button and of the About box's
// first placement, apart from the system.
#pragma once

#include <string>

namespace miwake {

// The value that OK stores: the text with a backslash appended unless its
// last byte is one, so that a name ending in 表 or ソ (second byte 0x5C)
// gets none.
std::string WithTrailingBackslash(std::string text);

struct ScreenPoint {
  int x = 0;
  int y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

// The top-left corner that centres a window on the screen, never negative.
ScreenPoint CentredOrigin(int screen_width, int screen_height, int window_width, int window_height);

}  // namespace miwake
