// File names as the batch runs build and show them: byte strings, UTF-8 or
// Shift-JIS on POSIX systems, code page 932 on Windows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "common/text.h"

namespace miwake {

// The character at `at` and its length in bytes; a surrogate's number is
// taken as WTF-8 writes it, a byte that starts no sequence as U+FFFD of length 1.
std::pair<char32_t, std::size_t> DecodeWtf8At(std::string_view s, std::size_t at);

bool IsUtf8(std::string_view bytes);

// The text for display: the bytes when they are UTF-8, else each byte that
// starts no valid sequence replaced by U+FFFD.
std::string LossyUtf8(std::string_view bytes);

// Standard base64 with padding.
std::string Base64(std::string_view bytes);

}  // namespace miwake
