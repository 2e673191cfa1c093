// Holds a file open as another program may: without delete sharing, so that
// no rename of it is allowed, until its standard input ends.
#include <windows.h>

#include <cstdio>

#include "common/win32_handle.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  const miwake::FileHandle held(::CreateFileW(argv[1], GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
  if (!held) return 1;
  std::puts("held");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  return 0;
}
