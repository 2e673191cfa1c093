// File names as the batch runs build and show them: byte strings, UTF-8 or
// Shift-JIS on POSIX systems, code page 932 on Windows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/text.h"

namespace miwake {

bool IsUtf8(std::string_view bytes);

// The text for display: the bytes when they are UTF-8, else each byte that
// starts no valid sequence replaced by U+FFFD.
std::string LossyUtf8(std::string_view bytes);

// Standard base64 with padding.
std::string Base64(std::string_view bytes);

}  // namespace miwake
