#include <iostream>
#include <string>
#include <vector>

#include "app/miwake_cli.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  auto files = miwake::MakePlatformFileSystem();
#ifdef _WIN32
  const miwake::CliEnvironment env{*files,
                                   std::cout,
                                   std::cerr,
                                   false,
                                   true,
                                   "Files are opened for reading and writing, shared with other "
                                   "programs;\na file that may not be written is read all the "
                                   "same."};
#else
  const miwake::CliEnvironment env{*files,
                                   std::cout,
                                   std::cerr,
                                   true,
                                   false,
                                   "Files are opened read-only: on this system no program is "
                                   "refused\nfor being in use, so -1 means only that a file "
                                   "could not be read."};
#endif
  try {
    return miwake::RunMiwake(args, env);
  } catch (const std::exception& e) {
    std::cerr << "miwake: " << e.what() << '\n';
    return miwake::kExitSomeNotIdentified;
  }
}
