// Conversion of the program's Shift-JIS texts for output that must be UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace miwake {

// Shift-JIS (code page 932) to UTF-8; bytes that are not valid Shift-JIS
// become U+FFFD.
std::string Cp932ToUtf8(std::string_view text);

}  // namespace miwake
