// The Identify command and the input check that every command passes first.
#pragma once

#include <optional>
#include <string>

#include "actions/ports.h"

namespace miwake {

// Warns about an empty name or one that names no existing file; true when
// the command must stop.
bool CheckInputFile(const std::string& name, FileSystem& files, AppMessageBox& boxes);

// Classifies the named file and writes the sentence into the result field
// (emptied for a code without one).
void IdentifyCommand(const std::string& name, const CommandPorts& ports);

}  // namespace miwake
