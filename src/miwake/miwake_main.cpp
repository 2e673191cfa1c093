#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "miwake/miwake_cli.h"

#ifdef _WIN32
#include <io.h>
#define MIWAKE_ISATTY(fd) ::_isatty(fd)
#else
#include <unistd.h>
#define MIWAKE_ISATTY(fd) ::isatty(fd)
#endif

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  auto files = miwake::MakePlatformFileSystem();
  auto folders = miwake::MakePlatformFolderLister();
  miwake::CliEnvironment env{
      {*files, *folders, [] { return miwake::MakePlatformFileSystem(); }, std::cout, std::cerr,
       true, false, MIWAKE_ISATTY(1) != 0, MIWAKE_ISATTY(2) != 0},
      "",
      std::thread::hardware_concurrency()};
#ifdef _WIN32
  env.utf8_texts = false;
  env.cp932_names = true;
  env.open_note =
      "Files are opened for reading and writing, shared with other programs;\n"
      "a file that may not be written is read all the same.";
#else
  env.open_note =
      "Files are opened read-only: on this system no program is refused\n"
      "for being in use, so -1 means only that a file could not be read.";
#endif
  return miwake::RunMiwake(args, env);
}
