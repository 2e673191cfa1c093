// The names that whole-folder runs give: the rule of the extension change,
// applied to a file's own name.
#include <gtest/gtest.h>

#include "actions/file_commands.h"

namespace miwake {
namespace {

TEST(LeafNameForKind, ReplacesOnlyAWrongExtension) {
  struct Row {
    const char* leaf;
    int code;
    const char* expected;  // null: stays as it is
  };
  const Row rows[] = {
      {"memo.doc", 1, "memo.txt"},
      {"MEMO.TXT", 1, nullptr},
      {"memo.Txt", 1, nullptr},
      {"memo", 1, "memo.txt"},
      {"a.b.c", 1, "a.b.txt"},
      {"memo.", 1, "memo.txt"},
      {".profile", 1, ".profile.txt"},
      {".txt", 1, nullptr},
      {"\x95\x5c.dat", 1, "\x95\x5c.txt"},          // 表: its second byte is a backslash's
      {"\xe5\x86\x99.dat", 1, "\xe5\x86\x99.txt"},  // 写 in UTF-8
      {"x.\xef\xbd\x94xt", 1, "x.txt"},             // a full-width t is no t
      {"photo.dat", 107, "photo.jpg"},
      {"other.dat", 0, nullptr},
      {"busy.dat", -1, nullptr},
      {"rupo.dat", 104, nullptr},
      {"odd.dat", 999, nullptr},
  };
  for (const Row& row : rows) {
    const auto got = LeafNameForKind(row.leaf, row.code);
    if (row.expected)
      EXPECT_EQ(got, std::optional<std::string>(row.expected)) << row.leaf;
    else
      EXPECT_EQ(got, std::nullopt) << row.leaf;
  }
}

}  // namespace
}  // namespace miwake
