#include "settings/settings_steps.h"

#include <gmock/gmock.h>

#include <map>
#include <vector>

#include "common/app_error.h"
#include "common/io_error_text.h"
#include "settings/settings_number.h"
#include "support/memory_file_system.h"

namespace miwake {
namespace {

const std::string kAppDir = "C:\\TOOLS\\", kOld = kAppDir + "FMIWAKER.CNF";

auto Throws(const std::string& message) {
  return ::testing::ThrowsMessage<AppError>(::testing::StrEq(message));
}

// The private-profile functions, which match names without regard to ASCII case.
class SettingsTest : public ::testing::Test, public ProfileStore {
 protected:
  static std::string Key(std::string text) {
    for (char& c : text) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    return text;
  }
  std::string Read(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& fallback) override {
    const auto it = values.find(Key(path + "|" + section + "|" + key));
    return it == values.end() ? fallback : it->second;
  }
  bool Write(const std::string& path, const std::string& section, const std::string& key,
             const std::string& value) override {
    writes.push_back(section + "/" + key + "=" + value);
    if (!fail_writes) values[Key(path + "|" + section + "|" + key)] = value;
    return !fail_writes;
  }
  // The memory file system matches names exactly, unlike Windows; the program
  // spells the settings file both ways.
  void AddIni() {
    for (const char* name : {"FMIWAKER.INI", "Fmiwaker.ini"}) files.Add(kAppDir + name, "");
  }
  WindowPosition Start() { return TakeSettingsAtStart(kAppDir, "3.12", {109, 138}, *this, files); }
  std::map<std::string, std::string> values;
  std::vector<std::string> writes;
  bool fail_writes = false;
  testing::MemoryFileSystem files;
};

TEST_F(SettingsTest, FirstStartWritesTheFourEntriesInOrderWithTheOldFilesFirstLine) {
  const std::pair<const char*, std::string> cases[] = {
      {nullptr, kAppDir},       {"D:\\DATA\\\r\nsecond line\r\n", "D:\\DATA\\"},
      {"\r\nD:\\DATA\\", ""},   {"C:\\A\nB\rC", "C:\\A\nB"},  // a line feed alone ends no line
      {"C:\\A\x1a\r", "C:\\A"},
  };
  for (const auto& [bytes, dir] : cases) {
    writes.clear();
    if (bytes != nullptr) files.Add(kOld, bytes);
    EXPECT_EQ(Start(), (WindowPosition{10, 10}));
    EXPECT_EQ(writes, (std::vector<std::string>{"Version/ver=3.12", "Dir/Dir=" + dir,
                                                "Location/top=10", "Location/left=10"}));
    EXPECT_FALSE(files.FileExists(kOld));
  }
}

TEST_F(SettingsTest, TheOldFileStaysUntilTheSettingsAreWritten) {
  files.Add(kOld, "D:\\DATA\\").fail_read = true;
  files.error_code = 5;
  EXPECT_THAT([&] { Start(); }, Throws(IoErrorText(5)));
  files.Add(kOld, "D:\\DATA\\");
  fail_writes = true;
  EXPECT_THAT([&] { Start(); }, Throws(kAppDir + "FMIWAKER.ini に書き込めません"));
  EXPECT_EQ(writes.size(), 1u) << "the first failing write ends the step";
  EXPECT_TRUE(files.FileExists(kOld));
  fail_writes = false;
  AddIni();  // beside existing settings the old file is deleted, nothing written
  values[Key(kAppDir + "FMIWAKER.ini|Location|top")] = "0x20";
  EXPECT_EQ(Start(), (WindowPosition{32, 138}));
  EXPECT_FALSE(files.FileExists(kOld));
  EXPECT_EQ(writes.size(), 1u);
  SavePosition(kAppDir, {5, -7}, *this);
  EXPECT_EQ(Start(), (WindowPosition{5, -7}));
}

TEST_F(SettingsTest, ReadFirstLineReadsPastOneChunkAndReportsFailures) {
  const std::string chunk(4096, 'x');
  const std::pair<std::string, std::string> lines[] = {
      {chunk, chunk},
      {chunk + "\r", chunk},
      {chunk + "\n" + chunk + "yz\x1a", chunk + "\n" + chunk + "yz"},
      {"", ""},
  };
  for (const auto& [bytes, line] : lines) {
    files.Add("f", bytes);
    EXPECT_EQ(ReadFirstLine(files, "f"), line) << bytes.size();
  }
  for (const auto failure : {&testing::MemoryFile::refuse_open, &testing::MemoryFile::fail_read,
                             &testing::MemoryFile::fail_close}) {
    files.Add("f", "D:\\").*failure = true;
    files.error_code += 1;
    EXPECT_THAT([&] { ReadFirstLine(files, "f"); }, Throws(IoErrorText(files.error_code)));
  }
}

TEST_F(SettingsTest, BrowseStartsInAnExistingFolderFromAnExistingSettingsFile) {
  const struct {
    const char* dir;  // null: no key
    std::optional<std::string> expected;
    bool folder_exists = true, ini_exists = true;
  } cases[] = {
      {"D:\\DATA", "D:\\DATA"},
      {"D:\\DATA\\", "D:\\DATA"},
      {"D:\\", "D:\\"},
      {":\\", ":\\"},
      {"D:\\表", "D:\\表"},  // 0x5C as the second byte of "表" is no backslash
      {"D:\\DATA", std::nullopt, false},
      {nullptr, "C:\\TOOLS"},
      {nullptr, std::nullopt, true, false},
  };
  for (const auto& c : cases) {
    values.clear();
    files = {};
    if (c.ini_exists) AddIni();
    if (c.dir != nullptr) values[Key(kAppDir + "FMIWAKER.ini|Dir|Dir")] = c.dir;
    if (c.folder_exists) files.folders.insert(c.dir != nullptr ? c.dir : kAppDir);
    EXPECT_EQ(BrowseStartFolder(kAppDir, *this, files), c.expected) << (c.dir ? c.dir : "no key");
  }
}

TEST(SettingsNumberTest, ParsesDecimalsAndHexadecimalBitPatternsOnly) {
  for (const char* text : {"10", "007", "+7", "  -25", "2147483647", "-2147483648"})
    EXPECT_EQ(ParseSettingsNumber(text), std::stoll(text)) << text;
  for (const char* text : {"$1A", "$1a", "0x1A", "0X1a", "  $1A", "$00000000001A"})
    EXPECT_EQ(ParseSettingsNumber(text), 26) << text;
  EXPECT_EQ(ParseSettingsNumber("$9aBcDeF"), 0x9ABCDEF);
  EXPECT_EQ(ParseSettingsNumber("$fF"), 255);
  EXPECT_EQ(ParseSettingsNumber("$FFFFFFFF"), -1);
  EXPECT_EQ(ParseSettingsNumber("$80000000"), INT32_MIN);
  for (const char* text : {"2147483648", "-2147483649", "99999999999999999999", "", "   ", "10px",
                           "10 ", "\t10", "+", "- 1", "1.5", "１０", "/", ":"})
    EXPECT_EQ(ParseSettingsNumber(text), std::nullopt) << text;
  // The 0x prefix counts only at the very start.
  for (const char* text :
       {"$100000000", "0x", "0xg", "$", " 0x10", "-$10", "-0x10", "$G", "$g", "$@", "$`"})
    EXPECT_EQ(ParseSettingsNumber(text), std::nullopt) << text;
  EXPECT_EQ(VersionText(","), "3,12");
}

}  // namespace
}  // namespace miwake
