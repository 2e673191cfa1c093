// The file associations against the real registry; the main window's tests
// read it too, through the commands.
#include "actions/ports_win32.h"

#include <gtest/gtest.h>

namespace miwake {
namespace {

TEST(Win32FileAssociationsTest, ExpandsDoubleByteTextAndReadsTheValueAsStored) {
  Win32FileAssociations associations;
  // Double-byte text takes more bytes than the system's count says under Wine.
  ::SetEnvironmentVariableA("MIWAKE_TEST", "ミワケ");
  EXPECT_EQ(associations.ExpandEnvironment("%MIWAKE_TEST%\\ソフト\\%NO_SUCH%.exe"),
            "ミワケ\\ソフト\\%NO_SUCH%.exe");
  // Into HKEY_CLASSES_ROOT itself: Wine shows none of the user's own classes there.
  const std::string key = "miwake-test-" + std::to_string(::GetCurrentProcessId());
  const std::string text("miwake.file\0", 12);
  ASSERT_EQ(::RegSetKeyValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, text.data(), 12), 0);
  EXPECT_EQ(associations.DefaultValue(key), (RegistryValue{REG_SZ, text}));
  ::RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
  EXPECT_EQ(associations.DefaultValue(key), std::nullopt);
}

}  // namespace
}  // namespace miwake
