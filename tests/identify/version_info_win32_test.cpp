// The portable reader against the system's version functions on every PE
// file that Wine ships for Windows.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/win32_handle.h"
#include "identify/pe_version.h"
#include "identify/version_refiner.h"

namespace miwake {
namespace {

constexpr const char* kWineFolder = "Z:\\usr\\lib\\x86_64-linux-gnu\\wine\\x86_64-windows\\";

TEST(VersionInfoWin32Test, ThePortableReaderAgreesWithTheSystemOnWinesOwnFiles) {
  WIN32_FIND_DATAA data{};
  FindHandle find(::FindFirstFileA((std::string(kWineFolder) + "*").c_str(), &data));
  if (!find) GTEST_SKIP() << "no " << kWineFolder;
  int compared = 0, with_value = 0, unknown = 0;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string path = std::string(kWineFolder) + data.cFileName;
    const std::string system = ReadOriginalFilename(path);
    const std::string portable = ReadOriginalFilenamePortable(path);
    EXPECT_EQ(portable, system) << data.cFileName;
    EXPECT_EQ(ExecutableKindFromOriginalFilename(portable),
              ExecutableKindFromOriginalFilename(system))
        << data.cFileName;
    ++compared;
    with_value += !system.empty() && system != kOriginalFilenameUnknown;
    unknown += system == kOriginalFilenameUnknown;
  } while (::FindNextFileA(find.get(), &data));
  std::printf("compared %d files: %d with a value, %d UnKnown, %d without\n", compared, with_value,
              unknown, compared - with_value - unknown);
  EXPECT_GT(compared, 500);
  EXPECT_GT(with_value, 100);
}

}  // namespace
}  // namespace miwake
