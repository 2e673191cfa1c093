#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "miwake/miwake_cli.h"
#include "types/mime_database.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "miwake/wide_files_win32.h"
#define MIWAKE_ISATTY(fd) ::_isatty(fd)
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#define MIWAKE_ISATTY(fd) ::isatty(fd)
#endif

namespace {

// Where the shared MIME-info database lies, the most important folder first.
std::vector<std::string> MimeFolders() {
#ifdef _WIN32
  // The one that ships beside the program.
  char path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string folder(path, length);
  folder.resize(folder.find_last_of("\\/") + 1);
  return {folder + "mime"};
#else
  // As the desktop finds it, by the XDG base directories.
  const auto variable = [](const char* name) {
    const char* value = std::getenv(name);
    return std::string_view(value != nullptr ? value : "");
  };
  return miwake::XdgMimeFolders(variable("XDG_DATA_HOME"), variable("HOME"),
                                variable("XDG_DATA_DIRS"));
#endif
}

#ifndef _WIN32
// A closed standard descriptor would be taken by the next file opened (the
// journal), and the report written into it: each gets the null device.
void KeepStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd)
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF)
      ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
}
#endif

}  // namespace

int main([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
#ifndef _WIN32
  KeepStandardDescriptors();
#endif
#ifdef _WIN32
  // The ANSI arguments would have lost every character outside code page 932.
  const std::vector<std::string> args = miwake::WideArguments();
#else
  const std::vector<std::string> args(argv + 1, argv + argc);
#endif
  auto files = miwake::MakeListedFileSystem();
  auto folders = miwake::MakePlatformFolderLister();
  miwake::CliEnvironment env{{*files, *folders, miwake::MakeListedFileSystem, std::cout, std::cerr,
                              true, false, MIWAKE_ISATTY(1) != 0, MIWAKE_ISATTY(2) != 0},
                             "",
                             std::thread::hardware_concurrency()};
  env.mime_folders = MimeFolders();
  env.hardware_threads = std::thread::hardware_concurrency();
#ifdef _WIN32
  env.utf8_texts = false;
  env.windows_names = true;
  env.name_text = miwake::CodePageName;
  env.expand = miwake::ExpandWildcards;
  env.open_note =
      "Files are opened for reading and writing, shared with other programs;\n"
      "a file that may not be written is read all the same.";
#else
  env.open_note =
      "Files are opened read-only: on this system no program is refused\n"
      "for being in use, so -1 means only that a file could not be read.";
#endif
  int status = miwake::RunMiwake(args, env);
  // What is still buffered is checked too, as the core utilities do: a run
  // whose output was lost did not succeed.
  std::cout.flush();
  if (!std::cout && status == miwake::kExitAllIdentified) {
    std::cerr << "miwake: write error on the output\n";
    status = miwake::kExitSomeNotIdentified;
  }
  std::cerr.flush();
  if (!std::cerr) status = std::max(status, miwake::kExitSomeNotIdentified);
  return status;
}
