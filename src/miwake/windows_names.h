// Windows' rules for names, kept portable so that they are tested natively:
// the names travel through the program as WTF-8 and reach the system as
// UTF-16 paths with the \\?\ prefix, which the system takes as they are.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace miwake {

// UTF-16 to WTF-8: UTF-8, except that a surrogate without its pair (a name
// Windows holds but no Unicode text can) takes the three bytes its number
// would, so that the way back gives the same units.
std::string Wtf8FromUtf16(std::u16string_view units);
// The way back; a byte that starts no sequence becomes U+FFFD.
std::u16string Utf16FromWtf8(std::string_view text);

// The whole name from the folder `current` (itself whole: "C:\x" or
// "\\server\share\x"), "." and ".." resolved and "/" made "\", without
// the system's help: it would strip trailing dots and spaces. A name with
// the \\?\ prefix is taken as it is, without the prefix.
std::string FullWindowsPath(std::string_view current, std::string_view name);
// A whole name with the prefix that makes the system take it as it is, at
// any length: "\\?\C:\x", "\\?\UNC\server\share\x".
std::string ExtendedWindowsPath(std::string_view full);

// CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9, with any extension, in any
// letter case: names that the system's plain paths give to its devices.
bool IsReservedDeviceName(std::string_view leaf);

// A name in a code page for text output: each character the code page has
// in its bytes (from `encode`, which gets one character's UTF-16 units and
// gives nothing for one it lacks), every other as "<U+XXXX>": no Windows
// name holds "<" or ">", so the form reads as no other name.
using CharacterEncoder = std::function<std::optional<std::string>(std::u16string_view)>;
std::string ShownInCodePage(std::string_view wtf8, const CharacterEncoder& encode);

}  // namespace miwake
