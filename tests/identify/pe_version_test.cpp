#include "identify/pe_version.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/pe_builder.h"

namespace miwake {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string FromImage(const Bytes& image) {
  MemoryByteSource source(image);
  return OriginalFilenameFromPe(source);
}

// `bytes` with the little-endian value of n bytes written at `at`; at()
// turns a patch that misses its target into a reported failure.
Bytes Patched(Bytes bytes, std::size_t at, std::uint32_t value, int n = 2) {
  for (int i = 0; i < n; ++i) bytes.at(at + i) = static_cast<std::uint8_t>(value >> 8 * i);
  return bytes;
}

std::size_t Find(const Bytes& haystack, const Bytes& needle) {
  const auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end());
  EXPECT_NE(it, haystack.end());
  return static_cast<std::size_t>(it - haystack.begin());
}

// The version node with this key: its 6-byte header stands before the key.
std::size_t NodeWithKey(const Bytes& block, std::string_view key) {
  Bytes utf16;
  for (const char c : std::string(key) + '\0') utf16.insert(utf16.end(), {std::uint8_t(c), 0});
  return Find(block, utf16) - 6;
}

const auto kVersion = testing::SimpleVersion(0x0411, 0x04B0, u"FMIWAKER.EXE");
const Bytes kImage = testing::BuildPe({.versions = {kVersion}});
const Bytes kBlock = testing::BuildVersionBlock(kVersion);
constexpr std::string_view kName = "\\StringFileInfo\\041104B0\\OriginalFilename";

// VerQueryValue's lookups, some after a patch of the block. A found value
// counts up to its first zero byte, as the C string that Windows hands on.
TEST(PeVersionTest, QueriesFollowVerQueryValue) {
  const std::size_t name = NodeWithKey(kBlock, "OriginalFilename");
  const struct {
    const char* what;
    Bytes block;
    std::string_view path;
    std::optional<std::string> expected;
  } cases[] = {
      {"letter case", kBlock, "\\stringfileinfo\\041104b0\\ORIGINALFILENAME", "FMIWAKER.EXE"},
      {"empty components", kBlock, "StringFileInfo\\\\041104B0\\OriginalFilename\\",
       "FMIWAKER.EXE"},
      {"key prefix", kBlock, "\\StringFileInfo\\041104B0\\OriginalFile", std::nullopt},
      {"root", kBlock, "\\", std::string(kBlock.begin() + 40, kBlock.begin() + 92)},
      {"length in bytes", Patched(kBlock, name + 2, 26), kName, "FMIWAKER.EXE"},
      {"binary typed string", Patched(kBlock, name + 4, 0), kName,
       std::string("F\0M\0I\0W\0A\0K\0E\0", 13)},
      {"zero-length sibling ends the search",
       Patched(kBlock, NodeWithKey(kBlock, "InternalName"), 0), kName, std::nullopt},
      {"sibling beyond the parent", Patched(kBlock, NodeWithKey(kBlock, "CompanyName"), 0xFFF0),
       kName, std::nullopt},
      {"16-bit root", Patched(kBlock, 4, 'V'), "\\VarFileInfo\\Translation", std::nullopt},
      // Now typed as text, the root value reads as "\x04BD\xFEEF".
      {"high byte root stays 32-bit", Patched(kBlock, 4, 0x80), "\\", "??"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QueryVersionValue(c.block, c.path), c.expected) << c.what;
    if (c.path != kName) continue;
    const auto query = [&](std::string_view p) { return QueryVersionValue(c.block, p); };
    EXPECT_EQ(OriginalFilenameFromQuery(query),
              c.expected ? c.expected->substr(0, c.expected->find('\0')) : kOriginalFilenameUnknown)
        << c.what;
  }
}

TEST(PeVersionTest, NonAsciiBecomesQuestionMarksOrWhatTheConverterSays) {
  const Bytes image =
      testing::BuildPe({.versions = {testing::SimpleVersion(0x0411, 0x04B0, u"\x30DF\x30EF.EXE")}});
  EXPECT_EQ(FromImage(image), "??.EXE");
  const auto cp932 = [](std::u16string_view text) {
    return text == u"\x30DF\x30EF.EXE" ? "\x83\x7E\x83\x8F.EXE" : std::string();
  };
  MemoryByteSource source(image);
  EXPECT_EQ(OriginalFilenameFromPe(source, cp932), "\x83\x7E\x83\x8F.EXE");
}

TEST(PeVersionTest, BrokenHeadersHideTheVersionResource) {
  MemoryByteSource whole(kImage);
  ASSERT_EQ(ReadVersionBlock(whole), kBlock);  // exactly the resource data, before any damage
  const std::size_t nt = 0x40, size = Find(kImage, Patched(Bytes(4), 0, kBlock.size(),
                                                           4));  // the data entry's size
  const std::pair<const char*, Bytes> cases[] = {
      {"not MZ", Patched(kImage, 0, 'Z', 1)},
      {"NE file", Patched(kImage, nt, 'N', 1)},
      {"negative e_lfanew", Patched(kImage, 0x3C, 0xFFFFFFC0u, 4)},
      {"e_lfanew past the end", Patched(kImage, 0x3C, 0x7FFFFFF0u, 4)},
      {"ROM magic", Patched(kImage, nt + 24, 0x107)},
      {"two data directories", Patched(kImage, nt + 24 + 92, 2, 4)},
      {"no sections", Patched(kImage, nt + 6, 0)},
      {"block over the cap", Patched(kImage, size, kMaxVersionBlockSize + 1, 4)},
      {"block past the end", Patched(kImage, size, 0x1000, 4)},
      {"data outside the sections", Patched(kImage, size - 4, 0x00FF0000u, 4)},
  };
  for (const auto& [what, image] : cases) {
    MemoryByteSource source(image);
    EXPECT_FALSE(ReadVersionBlock(source)) << what;
  }
}

// Each sample gives what Windows gives. Directories precede the data, so a
// cut either keeps the whole answer or loses the version block.
TEST(PeVersionTest, SamplesGiveWhatWindowsGivesOrWhenCutNothing) {
  for (const testing::SampleImage& s : testing::SampleImages()) {
    for (std::size_t n = 0; n <= s.bytes.size(); ++n) {
      const std::string got = FromImage({s.bytes.begin(), s.bytes.begin() + n});
      if (got != s.expected && (got != "" || n == s.bytes.size()))
        ADD_FAILURE() << s.name << " cut at " << n << " of " << s.bytes.size() << ": " << got;
    }
  }
  // A cut block gives a prefix of the value or nothing, and reads no byte past its end.
  for (std::size_t n = 0; n <= kBlock.size(); ++n) {
    const auto got = QueryVersionValue(Bytes(kBlock.begin(), kBlock.begin() + n), kName);
    EXPECT_TRUE(!got || std::string_view("FMIWAKER.EXE").starts_with(*got)) << n;
  }
}

}  // namespace
}  // namespace miwake
