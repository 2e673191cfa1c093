// A file handed to the program by Explorer arrives on its command line.
#include <gtest/gtest.h>

#include "common/text.h"

namespace miwake {
namespace {

TEST(FirstCommandLineArgument, UnquotesAsTheRuntimeDoes) {
  const std::pair<const char*, const char*> rows[] = {
      {"", ""},
      {"   ", ""},
      {"C:\\a.txt", "C:\\a.txt"},
      {"  C:\\a.txt  C:\\b.txt", "C:\\a.txt"},
      {"\"C:\\My Files\\a.txt\" \"C:\\b c.txt\"", "C:\\My Files\\a.txt"},
      {"\t\"a b\"c d", "a bc"},
      {"C:\\dir\\", "C:\\dir\\"},
      {"a\\\\\\\"b", "a\\\"b"},  // three backslashes and a quote: one, and the quote
      {"\"a\\\\\" b", "a\\"},    // two backslashes and a quote: one, and the quote closes
      {"\"C:\\\x95\x5c\" x", "C:\\\x95\x5c"},  // 表: its second byte escapes nothing
      {"\"C:\\\x83\x5c\\", "C:\\\x83\x5c\\"},  // ソ, and an unclosed quote
  };
  for (const auto& [line, first] : rows) EXPECT_EQ(FirstCommandLineArgument(line), first) << line;
}

}  // namespace
}  // namespace miwake
