// The miwake command-line tool: the Identify command for files and whole
// folders named on the command line, on the same engine as the main window.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

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
  // The names a wildcard pattern among the names given matches, in their
  // order (on Windows, where no shell expands them); null: none expanded.
  std::function<std::vector<std::string>(const std::string&)> expand = nullptr;
};

// An error that escapes is reported on `env.err` and gives kExitInternalError.
int RunMiwake(std::span<const std::string> args, const CliEnvironment& env);

}  // namespace miwake
