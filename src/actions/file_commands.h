// The commands that rename or delete the file named in the main window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "actions/ports.h"

namespace miwake {

// Why a file of this kind gets no new extension, in the words of the command
// named `verb` ("変更" or "変更＆起動"); nothing when it can get one.
std::optional<std::string> RenameRefusal(int code, std::string_view verb);

// The outcome of a rename to `ext`.
std::string RenameOutcome(bool renamed, std::string_view ext);

// Gives the file the extension of its kind, after asking; the outcome goes
// into the result field. The rename never replaces an existing file.
void ChangeExtCommand(const std::string& name, const CommandPorts& ports);

// Deletes the file after asking; only Yes deletes.
void DeleteCommand(const std::string& name, const CommandPorts& ports);

}  // namespace miwake
