// The miwake command-line tool: the Identify command for files named on the
// command line, on the same engine as the main window.
#pragma once

#include <ostream>
#include <span>
#include <string>

#include "common/file_system.h"

namespace miwake {

inline constexpr int kExitAllIdentified = 0;
inline constexpr int kExitSomeNotIdentified = 1;
inline constexpr int kExitUsage = 2;

struct CliEnvironment {
  FileSystem& files;
  std::ostream& out;
  std::ostream& err;
  // Whether the program's own texts are written as UTF-8 (else as code page
  // 932). JSON is always UTF-8.
  bool utf8_texts;
  // Whether file names are code page 932 (Windows) rather than the bytes the
  // system uses (UTF-8 on Linux).
  bool cp932_names;
  // What --help says about how files are opened.
  std::string open_note;
};

int RunMiwake(std::span<const std::string> args, const CliEnvironment& env);

}  // namespace miwake
