// Windows' rules for names and what a run takes on, in portable code.
#include <gmock/gmock.h>

#include "miwake/batch_run.h"
#include "miwake/walk_policy.h"
#include "miwake/windows_names.h"

namespace miwake {
namespace {

TEST(WindowsNamesTest, WholeNamesKeepTrailingDotsAndBlanksAndNeverClimbAboveTheRoot) {
  const struct {
    const char *current, *name, *full;
  } cases[] = {
      {"C:\\cur", "ok.gif.", "C:\\cur\\ok.gif."},
      {"C:\\cur", "sub/x ", "C:\\cur\\sub\\x "},
      {"C:\\cur", "./a/./b/../c", "C:\\cur\\a\\c"},
      {"C:\\cur", "..\\..\\..\\x", "C:\\x"},
      {"C:\\cur", "\\x", "C:\\x"},
      {"C:\\cur", "c:x", "C:\\cur\\x"},
      {"C:\\cur", "D:x", "D:\\x"},
      {"C:\\cur", "D:\\", "D:\\"},
      {"\\\\srv\\share\\cur", "..\\..\\x", "\\\\srv\\share\\x"},
      {"\\\\srv\\share\\cur", "\\x", "\\\\srv\\share\\x"},
      {"C:\\cur", "\\\\?\\D:\\a.\\..", "D:\\a.\\.."},
      {"C:\\cur", "\\\\?\\UNC\\srv\\s\\a", "\\\\srv\\s\\a"},
  };
  for (const auto& c : cases) EXPECT_EQ(FullWindowsPath(c.current, c.name), c.full) << c.name;
  EXPECT_EQ(ExtendedWindowsPath("C:\\x."), "\\\\?\\C:\\x.");
  EXPECT_EQ(ExtendedWindowsPath("\\\\srv\\s\\x"), "\\\\?\\UNC\\srv\\s\\x");
}

TEST(WindowsNamesTest, Wtf8KeepsEveryUtf16NameAndMarksBrokenBytes) {
  const struct {
    std::u16string units;
    std::string wtf8;
  } names[] = {
      {u"caf\u00E9", "caf\xC3\xA9"},
      {u"\U0001F600", "\xF0\x9F\x98\x80"},
      {u"\uFF21", "\xEF\xBC\xA1"},
      {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
      {std::u16string{0xD800, 'x'}, "\xED\xA0\x80x"},
      {std::u16string{0xDC00, 0xD800}, "\xED\xB0\x80\xED\xA0\x80"},
  };
  for (const auto& n : names) {
    EXPECT_EQ(Wtf8FromUtf16(n.units), n.wtf8);
    EXPECT_EQ(Utf16FromWtf8(n.wtf8), n.units);
  }
  const std::u16string broken = u"\uFFFD\uFFFD\uFFFDa\uFFFD\uFFFD";
  EXPECT_EQ(Utf16FromWtf8("\xC0\x80\xFF"
                          "a\xE3\x81"),
            broken);
  EXPECT_EQ(Utf16FromWtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
}

TEST(WindowsNamesTest, DeviceNamesWithAnyExtensionAndCase) {
  for (const char* device :
       {"CON", "con.txt", "CON .txt", "prn.gif", "AUX.", "NUL", "COM1", "lpt9.x"})
    EXPECT_TRUE(IsReservedDeviceName(device)) << device;
  for (const char* file : {"CONSOLE", "xcon", "COM0", "LPT10", "COM", "LPTx.txt", "nul_.txt", ""})
    EXPECT_FALSE(IsReservedDeviceName(file)) << file;
}

TEST(WindowsNamesTest, TextShowsWhatTheCodePageLacksAsItsNumber) {
  // A code page of one character.
  const CharacterEncoder encode = [](std::u16string_view units) -> std::optional<std::string> {
    if (units == u"\u8868") return "\x95\x5C";
    return std::nullopt;
  };
  EXPECT_EQ(ShownInCodePage("a\\\xE8\xA1\xA8\xF0\x9F\x98\x80\xC3\xA9\xED\xA0\x80", encode),
            "a\\\x95\x5C<U+1F600><U+00E9><U+D800>");
}

TEST(WalkPolicyTest, VersionControlFoldersThenSystemThenHidden) {
  const struct {
    ListedEntry entry;
    bool fold_case;
    LeftOut why;
  } cases[] = {
      {{".git", ListedType::kFolder}, false, LeftOut::kVersionControl},
      {{"CVS", ListedType::kFolder}, false, LeftOut::kVersionControl},
      {{".GIT", ListedType::kFolder}, false, LeftOut::kNothing},
      {{".GIT", ListedType::kFolder, true}, true, LeftOut::kVersionControl},
      {{".git", ListedType::kFile}, false, LeftOut::kNothing},
      {{"_darcs.txt", ListedType::kFolder}, false, LeftOut::kNothing},
      {{".profile", ListedType::kFile}, false, LeftOut::kNothing},
      {{"desktop.ini", ListedType::kFile, true, true}, true, LeftOut::kSystem},
      {{"x", ListedType::kFolder, true}, true, LeftOut::kHidden},
  };
  for (const auto& c : cases) EXPECT_EQ(WhyLeftOut(c.entry, c.fold_case), c.why) << c.entry.name;
}

TEST(WalkPolicyTest, JobsNeverExceedTheFilesNorFourPerHardwareThread) {
  const struct {
    unsigned requested;
    std::optional<std::size_t> files;
    unsigned hardware, jobs;
  } cases[] = {{1024, 1, 8, 1},
               {1024, std::nullopt, 2, 8},
               {3, std::nullopt, 0, 3},
               {16, 100, 2, 8},
               {4, 0, 2, 1},
               {0, 5, 2, 1}};
  for (const auto& c : cases)
    EXPECT_EQ(CappedJobs(c.requested, c.files, c.hardware), c.jobs) << c.requested;
}

}  // namespace
}  // namespace miwake
