#include "types/mime_magic.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

namespace miwake {
namespace {

using namespace std::string_literals;

// One rule line as update-mime-database writes it.
std::string Rule(int indent, int offset, const std::string& value, const std::string& mask = "",
                 int word_size = 1, int range = 1) {
  std::string line =
      (indent > 0 ? std::to_string(indent) : "") + ">" + std::to_string(offset) + "=";
  line += static_cast<char>(value.size() >> 8);
  line += static_cast<char>(value.size() & 0xFF);
  line += value;
  if (!mask.empty()) line += "&" + mask;
  if (word_size != 1) line += "~" + std::to_string(word_size);
  if (range != 1) line += "+" + std::to_string(range);
  return line + "\n";
}

std::span<const std::uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// The type that the rules give `bytes`; empty when none.
std::string TypeOf(const MimeMagic& magic, const std::string& bytes, bool* cut = nullptr,
                   bool binary = false) {
  const MimeDatabase types;
  const auto match = magic.Match(Bytes(bytes), types, cut, binary);
  return match ? match->type : "";
}

const std::string kMagic =
    "MIME-Magic\0\n"s +
    // A refinement of the same priority, and one of a higher priority.
    "[80:image/x-refined]\n" + Rule(0, 0, "GIF8") + Rule(1, 4, "9") + "[80:image/x-plain]\n" +
    Rule(0, 0, "GIF8") + "[90:image/x-first]\n" + Rule(0, 0, "GIF87") +
    // Nested: the top rule holds only when a sub-rule does.
    "[50:application/x-nested]\n" + Rule(0, 0, "NEST") + Rule(1, 8, "A") + Rule(1, 8, "B") +
    Rule(2, 9, "!") +
    // Anywhere in a range; a masked byte.
    "[50:application/x-ranged]\n" + Rule(0, 10, "FIND", "", 1, 20) + "[50:application/x-masked]\n" +
    Rule(0, 0, "\x40\x01"s, "\xF0\xFF"s) +
    // A 16-bit and a 32-bit word, written for a big-endian machine.
    "[50:application/x-word16]\n" + Rule(0, 0, "\x12\x34"s, "", 2) + "[50:application/x-word32]\n" +
    Rule(0, 0, "\x12\x34\x56\x78"s, "", 4) + "[50:application/x-far]\n" + Rule(0, 100, "FAR");

TEST(MimeMagicTest, GivesTheTypeOfTheBestMatchingSection) {
  const MimeDatabase types = [] {
    MimeDatabase database;
    database.AddFolder("", "image/x-refined image/x-plain\n", "");
    return database;
  }();
  MimeMagic magic;
  ASSERT_TRUE(magic.AddFolder(kMagic));
  EXPECT_EQ(magic.Reach(), 103u);
  const bool little = std::endian::native == std::endian::little;
  const struct {
    std::string bytes;
    const char* type;  // empty: none
    std::uint64_t offset = 0;
  } cases[] = {
      {"GIF87a", "image/x-first"},
      {"GIF89a", "image/x-refined"},
      {"GIF8xx", "image/x-plain"},
      {"NEST....A", "application/x-nested"},
      {"NEST....B!", "application/x-nested"},
      {"NEST....B?", ""},
      {"NEST....C", ""},
      {std::string(25, '.') + "FIND", "application/x-ranged", 25},
      {std::string(29, '.') + "FIND", "application/x-ranged", 29},
      {std::string(30, '.') + "FIND", ""},
      {"\x4F\x01"s, "application/x-masked"},
      {"\x41\x02"s, ""},
      {little ? "\x34\x12"s : "\x12\x34"s, "application/x-word16"},
      {little ? "\x78\x56\x34\x12"s : "\x12\x34\x56\x78"s, "application/x-word32"},
      {std::string(100, '.') + "FAR", "application/x-far", 100},
      {std::string(100, '.') + "FA", ""},  // the file ends inside the value
      {"", ""},
  };
  for (const auto& c : cases) {
    const auto match = magic.Match(Bytes(c.bytes), types);
    EXPECT_EQ(match ? match->type : "", c.type) << c.bytes;
    EXPECT_EQ(match ? match->offset : 0, c.offset) << c.bytes;
  }
}

TEST(MimeMagicTest, TellsWhenARuleWantsBytesPastTheOnesGiven) {
  MimeMagic magic;
  ASSERT_TRUE(magic.AddFolder("MIME-Magic\0\n[50:a/nested]\n"s + Rule(0, 0, "NEST") +
                              Rule(1, 8, "A") + "[50:a/ranged]\n" + Rule(0, 2, "FIND", "", 1, 20) +
                              "[50:a/far]\n" + Rule(0, 6, "FAR")));
  const struct {
    std::string bytes;
    bool cut;
  } cases[] = {
      {"NEST", true},      // the rule under one that matched
      {"NOPE", true},      // the rule that starts past the end
      {"NOPE...", false},  // rules that start within are judged on what there is
  };
  for (const auto& c : cases) {
    bool cut = !c.cut;
    EXPECT_EQ(TypeOf(magic, c.bytes, &cut), "");
    EXPECT_EQ(cut, c.cut) << c.bytes;
  }
}

TEST(MimeMagicTest, BinaryContentIsNotSearchedForText) {
  MimeMagic magic;
  ASSERT_TRUE(magic.AddFolder("MIME-Magic\0\n[50:text/x-script]\n"s + Rule(0, 0, "#!", "", 1, 10) +
                              "[50:image/x-mark]\n" + Rule(0, 0, "MK")));
  const MimeDatabase types;
  magic.MarkTextTypes(types);
  EXPECT_EQ(TypeOf(magic, "  #!/bin/sh", nullptr, false), "text/x-script");
  EXPECT_EQ(TypeOf(magic, "  #!/bin/sh", nullptr, true), "");
  EXPECT_EQ(TypeOf(magic, "MK", nullptr, true), "image/x-mark");
}

TEST(MimeMagicTest, AMoreImportantFolderHidesTheRulesOfATypeItMarks) {
  MimeMagic magic;
  EXPECT_FALSE(magic.AddFolder("not magic"));
  ASSERT_TRUE(
      magic.AddFolder("MIME-Magic\0\n[50:text/x-mine]\n__NOMAGIC__\n"s + Rule(0, 0, "MINE")));
  ASSERT_TRUE(magic.AddFolder("MIME-Magic\0\n[50:text/x-mine]\n"s + Rule(0, 0, "OLD") +
                              "[50:text/x-other]\n" + Rule(0, 0, "OTH")));
  EXPECT_EQ(TypeOf(magic, "MINE"), "text/x-mine");
  EXPECT_EQ(TypeOf(magic, "OLD"), "");
  EXPECT_EQ(TypeOf(magic, "OTH"), "text/x-other");
}

}  // namespace
}  // namespace miwake
