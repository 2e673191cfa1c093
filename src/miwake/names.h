// File names as the batch runs build and show them: byte strings, UTF-8 or
// Shift-JIS on POSIX systems, code page 932 on Windows.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace miwake {

enum class NameStyle {
  kPosix,    // "/" separates, and no other byte does
  kWindows,  // "\", "/" and ":" separate, but not as a double-byte character's second byte
};

// The position where the leaf of `path` starts.
std::size_t LeafStart(std::string_view path, NameStyle style);

// `leaf` inside `folder`, with one separator between them.
std::string JoinPath(std::string_view folder, std::string_view leaf, NameStyle style);

bool IsUtf8(std::string_view bytes);

// The text for display: the bytes when they are UTF-8, else each byte that
// starts no valid sequence replaced by U+FFFD.
std::string LossyUtf8(std::string_view bytes);

// Standard base64 with padding.
std::string Base64(std::string_view bytes);

}  // namespace miwake
