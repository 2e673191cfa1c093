// File-name and text helpers shared by every subsystem. Names are byte
// strings in code page 932 (Shift-JIS).
#pragma once

#include <string>
#include <string_view>

namespace miwake {

// True for the first byte of a Shift-JIS double-byte character.
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// A to Z to a to z; every other byte as it is.
constexpr char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The extension of a file name, dot included: the text from the last "."
// that no "\" or ":" follows; empty when there is none. A 0x5C that is the
// second byte of a double-byte character is not a backslash.
std::string ExtensionOf(std::string_view name);

// The name with its extension (as ExtensionOf finds it) replaced by
// new_extension, which carries its own dot; appended when there is none.
std::string ReplaceExtension(std::string_view name, std::string_view new_extension);

// Equality with only a-z folded to A-Z; full-width letters stay distinct.
bool SameTextAscii(std::string_view a, std::string_view b);

enum class NameStyle {
  kPosix,    // "/" separates, and no other byte does
  kWindows,  // "\", "/" and ":" separate, but not as a double-byte character's second byte
  // Only "\" separates, and an empty folder gets one too ("C:" + "x" is
  // "C:\x", "" + "x" is "\x"): the folder list's joins, on the folders
  // GetCurrentDirectoryA gives.
  kWindowsBackslash,
  // "\", "/" and ":" separate, in names of UTF-8 (or WTF-8) text.
  kWindowsUtf8,
};

// The position where the leaf of `path` starts.
std::size_t LeafStart(std::string_view path, NameStyle style);

// `leaf` inside `folder`, with one separator between them.
std::string JoinPath(std::string_view folder, std::string_view leaf, NameStyle style);

// Position just past the last ".", "\" or ":" that stands as a character of
// its own, or 0 when there is none; `found` tells which byte it was.
std::size_t LastDelimiterEnd(std::string_view name, std::string_view delimiters, char* found);

// The first argument of a Windows command line (without the program's name),
// unquoted as the C runtime does: blanks separate, double quotes group, and
// backslashes escape only a double quote. A byte that follows a lead byte is
// never a quote or a backslash. Empty when there is none.
std::string FirstCommandLineArgument(std::string_view command_line);

}  // namespace miwake
