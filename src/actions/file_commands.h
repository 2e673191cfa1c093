// The commands that rename or delete the file named in the main window.
#pragma once

#include <string>

#include "actions/ports.h"

namespace miwake {

// Gives the file the extension of its kind, after asking; the outcome goes
// into the result field. The rename never replaces an existing file.
void ChangeExtCommand(const std::string& name, const CommandPorts& ports);

// Deletes the file after asking; only Yes deletes.
void DeleteCommand(const std::string& name, const CommandPorts& ports);

}  // namespace miwake
