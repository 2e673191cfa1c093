// The file associations against the real registry. The test key goes into
// HKEY_CLASSES_ROOT itself: Wine shows none of the user's own classes there.
#include "actions/ports_win32.h"

#include <gtest/gtest.h>

namespace miwake {
namespace {

TEST(Win32FileAssociationsTest, ReadsTheDefaultValueAsStoredAndExpandsDoubleByteText) {
  const std::string key = "miwake-test-" + std::to_string(::GetCurrentProcessId());
  const std::string text("miwake.file\0", 12), number("\x2A\0\0\0", 4);
  for (const auto& [sub, name, type, data] : {std::tuple{"\\text", "", REG_SZ, text},
                                              {"\\number", "", REG_DWORD, number},
                                              {"\\bare", "other", REG_SZ, text}})
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CLASSES_ROOT, (key + sub).c_str(), *name ? name : nullptr,
                                type, data.data(), data.size()),
              ERROR_SUCCESS);
  Win32FileAssociations associations;
  EXPECT_EQ(associations.DefaultValue(key + "\\text"), (RegistryValue{REG_SZ, text}));
  EXPECT_EQ(associations.DefaultValue(key + "\\number"), (RegistryValue{REG_DWORD, number}));
  EXPECT_EQ(associations.DefaultValue(key + "\\bare"), std::nullopt) << "no default value";
  EXPECT_EQ(associations.DefaultValue(key + "\\missing"), std::nullopt);
  ::RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
  // Double-byte text takes more bytes than the system's count says under Wine.
  ::SetEnvironmentVariableA("MIWAKE_TEST", "ミワケ");
  EXPECT_EQ(associations.ExpandEnvironment("%MIWAKE_TEST%\\ソフト\\%NO_SUCH%.exe"),
            "ミワケ\\ソフト\\%NO_SUCH%.exe");
}

}  // namespace
}  // namespace miwake
