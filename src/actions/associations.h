// The program that the system's file associations name for an extension.
#pragma once

#include <string>
#include <string_view>

#include "actions/ports.h"

namespace miwake {

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;

// The program path of a stored open command: the quoted part when it starts
// with a quote, else everything up to the first ".exe"; empty unless that
// path ends in ".exe" (any letter case).
std::string ProgramPathFromCommand(std::string_view command);

// Reads the class name of "." + extension, then its open command, and
// reduces the command to a program path; empty when anything is missing.
// Throws AppError when a default value is neither REG_SZ nor REG_EXPAND_SZ.
std::string FindAssociatedProgram(const std::string& extension, FileAssociations& associations);

}  // namespace miwake
