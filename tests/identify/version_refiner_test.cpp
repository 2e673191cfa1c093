#include "identify/version_refiner.h"

#include <gtest/gtest.h>

#include "identify/kinds.h"

namespace miwake {
namespace {

TEST(VersionRefinerTest, TheExtensionOfTheOriginalFilenamePicksTheKind) {
  for (int code = kFirstExecutableSubKind; code <= kLastExecutableSubKind; ++code) {
    std::string upper(KindExtension(code));
    for (char& c : upper) c = static_cast<char>(c - 32);
    EXPECT_EQ(ExecutableKindFromOriginalFilename("NAME." + upper), code) << upper;
  }
  for (const char* name : {"x.Ocx", ".dll", "ソ.dll"})
    EXPECT_NE(ExecutableKindFromOriginalFilename(name), kKindExecutable) << name;
  for (const char* name : {"NOTEPAD.EXE", "", "UnKnown", "README.", "x.DLL.MUI", "a.dll ",
                           "a.dll\\b", "a.dll:b", "x.ＤＬＬ", "x.d11"})
    EXPECT_EQ(ExecutableKindFromOriginalFilename(name), kKindExecutable) << name;
  // A trail byte that looks like a capital letter is none.
  std::string text = "AZア.DLL@[";
  LowerAnsi(text);
  EXPECT_EQ(text, "azア.dll@[");
}

}  // namespace
}  // namespace miwake
