// miwake's own way to the files on Windows: names are WTF-8 in the program
// and reach the system through the wide-character functions as whole paths
// with the \\?\ prefix, so that a name is reached exactly as the listing gave
// it (trailing dots and spaces, any character, any length).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_system.h"

namespace miwake {

std::wstring WideFromWtf8(std::string_view text);
std::string Wtf8FromWide(std::wstring_view text);

// The whole name, without the prefix, as the journal records it.
std::string WholeName(std::string_view name);
// The name as the wide functions take it.
std::wstring SystemPath(std::string_view name);

std::unique_ptr<FileSystem> MakeWideFileSystem();

// The names a pattern with "*" or "?" in its last part matches, sorted byte
// by byte, "." and ".." left out; none when it matches none.
std::vector<std::string> ExpandWildcards(const std::string& pattern);

// A name in code page 932 for the text output (see ShownInCodePage).
std::string CodePageName(std::string_view name);

// The program's arguments, from the wide command line.
std::vector<std::string> WideArguments();

}  // namespace miwake
