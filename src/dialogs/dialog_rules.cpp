#include "dialogs/dialog_rules.h"

#include <algorithm>

namespace miwake {

std::string WithTrailingBackslash(std::string text) {
  // The last byte alone decides, as the stored values have always been made.
  if (!text.ends_with('\\')) text += '\\';
  return text;
}

ScreenPoint CentredOrigin(int screen_width, int screen_height, int window_width,
                          int window_height) {
  return {std::max(0, (screen_width - window_width) / 2),
          std::max(0, (screen_height - window_height) / 2)};
}

}  // namespace miwake
