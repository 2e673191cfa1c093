// The texts by which input/output failures are shown to the user.
#pragma once

#include <string>

namespace miwake {

// Text for a system error code of a failed file operation, e.g. 5 for
// "access denied"; codes without a text of their own get "I/O ｴﾗｰ (code)".
std::string IoErrorText(int code);

// An error message as the application error box shows it: a full stop is
// appended unless the last byte is "." or below.
std::string WithFullStop(std::string message);

}  // namespace miwake
