// miwake's own words: English, whatever the system's language, beside the
// Japanese sentences of the kinds.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace miwake {

// ERROR_NO_MORE_FILES: for a wildcard pattern that matched no name.
inline constexpr int kNoFileMatches = 18;

// The cause of a failure from the system's error code (as Windows numbers
// them): "permission denied", "no such file", ...
std::string CauseText(int code);

// "1 file", "2 files".
std::string Count(std::size_t n, std::string_view singular, std::string_view plural);

// A name as a terminal may show it: control bytes and DEL as C escapes
// ("\033", "\r"), and with `backslash_too` the backslash as "\\", so that
// no name moves the cursor or changes colours, and none reads as another.
std::string EscapedForTerminal(std::string_view name, bool backslash_too);

}  // namespace miwake
