// The miwake command-line tool: the Identify command for files and whole
// folders named on the command line, on the same engine as the main window.
#pragma once

#include <span>
#include <string>

#include "miwake/batch_run.h"

namespace miwake {

inline constexpr int kExitAllIdentified = 0;
inline constexpr int kExitSomeNotIdentified = 1;
inline constexpr int kExitUsage = 2;
// An error that escaped: a fault of the program, not of the files.
inline constexpr int kExitInternalError = 3;

struct CliEnvironment : RunEnvironment {
  // What --help says about how files are opened.
  std::string open_note;
  // Threads by default.
  unsigned cores = 1;
};

// An error that escapes is reported on `env.err` and gives kExitInternalError.
int RunMiwake(std::span<const std::string> args, const CliEnvironment& env);

}  // namespace miwake
