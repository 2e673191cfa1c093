// The commands that open the file with the program of its real kind, and
// the help.
#pragma once

#include <string>
#include <string_view>

#include "actions/ports.h"

namespace miwake {

// The command line that starts `program` with the file: quoted, or plain for
// archives and help files, whose programs take the name as it is; a name
// with a blank is quoted there too, or it would arrive as several arguments.
std::string LaunchCommandLine(int code, const std::string& program, const std::string& name);

// Starts the program associated with the file's real kind, under the
// file's present name, after announcing it.
void LaunchCommand(const std::string& name, const CommandPorts& ports);

// Gives the file the extension of its kind without asking and has the
// system open it under the new name.
void ChangeAndLaunchCommand(const std::string& name, const CommandPorts& ports);

// Has the system open Fmiwaker.hlp in `folder` (the program's, with its
// final backslash), or readme.txt there when it cannot; says so in a box
// when neither opens.
void HelpCommand(const std::string& folder, const CommandPorts& ports);

}  // namespace miwake
