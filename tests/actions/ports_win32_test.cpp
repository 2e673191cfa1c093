// The file associations against the real registry. The test keys go into
// HKEY_CLASSES_ROOT itself: Wine shows none of the user's own classes there.
#include "actions/ports_win32.h"

#include <gtest/gtest.h>

namespace miwake {
namespace {

struct TestKeys {
  TestKeys() { ::RegDeleteTreeA(HKEY_CLASSES_ROOT, name.c_str()); }
  ~TestKeys() { ::RegDeleteTreeA(HKEY_CLASSES_ROOT, name.c_str()); }
  // The key below the test root with a default value, or for type 0 only a
  // value of another name.
  void Make(const std::string& sub, DWORD type = 0, std::string_view data = {}) {
    ASSERT_EQ(::RegSetKeyValueA(HKEY_CLASSES_ROOT, (name + "\\" + sub).c_str(),
                                type != 0 ? nullptr : "other", type != 0 ? type : REG_SZ,
                                data.data(), data.size()),
              ERROR_SUCCESS);
  }
  const std::string name = "miwake-test-" + std::to_string(::GetCurrentProcessId());
};

TEST(Win32FileAssociationsTest, ReadsTheDefaultValueAsStored) {
  TestKeys keys;
  const std::string text("miwake.file\0", 12), number("\x2A\0\0\0", 4);
  keys.Make("text", REG_SZ, text);
  keys.Make("number", REG_DWORD, number);
  keys.Make("bare");
  const std::pair<std::string, std::optional<RegistryValue>> cases[] = {
      {"text", RegistryValue{REG_SZ, text}},
      {"number", RegistryValue{REG_DWORD, number}},
      {"bare", std::nullopt},
      {"missing", std::nullopt},
  };
  Win32FileAssociations associations;
  for (const auto& [sub, value] : cases)
    EXPECT_EQ(associations.DefaultValue(keys.name + "\\" + sub), value) << sub;
  // Double-byte text takes more bytes than the system's count says under Wine.
  ::SetEnvironmentVariableA("MIWAKE_TEST", "ミワケ");
  EXPECT_EQ(associations.ExpandEnvironment("%MIWAKE_TEST%\\ソフト\\%NO_SUCH%.exe"),
            "ミワケ\\ソフト\\%NO_SUCH%.exe");
}

}  // namespace
}  // namespace miwake
