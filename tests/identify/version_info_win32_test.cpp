// The portable reader against the system's version functions on every PE
// file that Wine ships for Windows.
#include <gtest/gtest.h>

#include "common/win32_handle.h"
#include "identify/pe_version.h"
#include "identify/version_refiner.h"

namespace miwake {
namespace {

TEST(VersionInfoWin32Test, ThePortableReaderAgreesWithTheSystemOnWinesOwnFiles) {
  const std::string folder = "Z:\\usr\\lib\\x86_64-linux-gnu\\wine\\x86_64-windows\\";
  WIN32_FIND_DATAA data{};
  const FindHandle find(::FindFirstFileA((folder + "*").c_str(), &data));
  if (!find) GTEST_SKIP() << "no " << folder;
  int compared = 0, with_value = 0;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string system = ReadOriginalFilename(folder + data.cFileName);
    EXPECT_EQ(ReadOriginalFilenamePortable(folder + data.cFileName), system) << data.cFileName;
    ++compared;
    with_value += !system.empty() && system != kOriginalFilenameUnknown;
  } while (::FindNextFileA(find.get(), &data));
  EXPECT_GT(compared, 500);
  EXPECT_GT(with_value, 100);
}

}  // namespace
}  // namespace miwake
