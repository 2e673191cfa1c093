// The rules of the ANSI code page (932, Shift-JIS) for the program's texts.
#pragma once

#include <string>
#include <string_view>

namespace miwake {

// Shift-JIS (code page 932) to UTF-8; bytes that are not valid Shift-JIS
// become U+FFFD.
std::string Cp932ToUtf8(std::string_view text);

// Lower-cased as the system does (CharLowerBuffA on Windows; elsewhere A to Z,
// never the second byte of a double-byte character).
std::string LowerAnsi(std::string text);

}  // namespace miwake
