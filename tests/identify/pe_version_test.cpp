#include "identify/pe_version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <random>

#include "support/pe_builder.h"

namespace miwake {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string FromImage(const Bytes& image) {
  MemoryByteSource source(image);
  return OriginalFilenameFromPe(source);
}

// at() turns a patch that misses its target into a reported failure.
void Put(Bytes& b, std::size_t at, std::uint32_t v, int n = 2) {
  for (int i = 0; i < n; ++i) b.at(at + i) = static_cast<std::uint8_t>(v >> 8 * i);
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
  const struct {
    const char* name;
    std::function<void(Bytes&)> patch;
    std::string_view path;
    std::optional<std::string> expected;
  } cases[] = {
      {"letter_case", {}, "\\stringfileinfo\\041104b0\\ORIGINALFILENAME", "FMIWAKER.EXE"},
      {"empty_components", {}, "StringFileInfo\\\\041104B0\\OriginalFilename\\", "FMIWAKER.EXE"},
      {"key_prefix", {}, "\\StringFileInfo\\041104B0\\OriginalFile", std::nullopt},
      {"root", {}, "\\", std::string(kBlock.begin() + 40, kBlock.begin() + 92)},
      {"length_in_bytes", [](Bytes& b) { Put(b, NodeWithKey(b, "OriginalFilename") + 2, 26); },
       kName, "FMIWAKER.EXE"},
      {"binary_typed_string", [](Bytes& b) { Put(b, NodeWithKey(b, "OriginalFilename") + 4, 0); },
       kName, std::string("F\0M\0I\0W\0A\0K\0E\0", 13)},
      {"zero_length_sibling_ends_search",
       [](Bytes& b) { Put(b, NodeWithKey(b, "InternalName"), 0); }, kName, std::nullopt},
      {"sibling_beyond_parent", [](Bytes& b) { Put(b, NodeWithKey(b, "CompanyName"), 0xFFF0); },
       kName, std::nullopt},
      {"sixteen_bit_root", [](Bytes& b) { b[4] = 'V'; }, "\\VarFileInfo\\Translation", {}},
      // Now typed as text, the root value reads as "\x04BD\xFEEF".
      {"high_byte_root_stays_32_bit", [](Bytes& b) { b[4] = 0x80; }, "\\", "??"},
  };
  for (const auto& [name, patch, path, expected] : cases) {
    Bytes block = kBlock;
    if (patch) patch(block);
    EXPECT_EQ(QueryVersionValue(block, path), expected) << name;
    const auto query = [&](std::string_view p) { return QueryVersionValue(block, p); };
    if (path != kName) continue;
    EXPECT_EQ(OriginalFilenameFromQuery(query),
              expected ? expected->substr(0, expected->find('\0')) : kOriginalFilenameUnknown)
        << name;
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

constexpr std::size_t kNt = 0x40;  // where the builder puts the PE headers

std::size_t DataEntrySize(const Bytes& image) {
  const std::size_t n = kBlock.size();
  return Find(image, {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8), 0, 0});
}

TEST(PeVersionTest, BrokenHeadersHideTheVersionResource) {
  MemoryByteSource whole(kImage);
  ASSERT_EQ(ReadVersionBlock(whole), kBlock);  // exactly the resource data, before any damage
  const std::pair<const char*, std::function<void(Bytes&)>> cases[] = {
      {"not_mz", [](Bytes& b) { b[0] = 'Z'; }},
      {"ne_file", [](Bytes& b) { b[kNt] = 'N'; }},
      {"negative_lfanew", [](Bytes& b) { Put(b, 0x3C, 0xFFFFFFC0u, 4); }},
      {"lfanew_past_end", [](Bytes& b) { Put(b, 0x3C, 0x7FFFFFF0u, 4); }},
      {"rom_magic", [](Bytes& b) { Put(b, kNt + 24, 0x107); }},
      {"two_data_directories", [](Bytes& b) { Put(b, kNt + 24 + 92, 2, 4); }},
      {"no_sections", [](Bytes& b) { Put(b, kNt + 6, 0); }},
      {"block_over_cap", [](Bytes& b) { Put(b, DataEntrySize(b), kMaxVersionBlockSize + 1, 4); }},
      {"block_past_end", [](Bytes& b) { Put(b, DataEntrySize(b), 0x1000, 4); }},
      {"data_outside_sections", [](Bytes& b) { Put(b, DataEntrySize(b) - 4, 0x00FF0000u, 4); }},
  };
  for (const auto& [name, patch] : cases) {
    Bytes image = kImage;
    patch(image);
    MemoryByteSource source(image);
    EXPECT_FALSE(ReadVersionBlock(source)) << name;
  }
}

// Each sample gives what Windows gives. Directories precede the data, so a
// cut either keeps the whole answer or loses the version block; flipped bytes
// need only be survived, which the sanitized build checks.
TEST(PeVersionTest, SamplesGiveWhatWindowsGivesOrWhenCutNothing) {
  std::mt19937 random(12345);
  for (const testing::SampleImage& s : testing::SampleImages()) {
    for (std::size_t n = 0; n <= s.bytes.size(); ++n) {
      const std::string got = FromImage({s.bytes.begin(), s.bytes.begin() + n});
      if (got != s.expected && (got != "" || n == s.bytes.size()))
        ADD_FAILURE() << s.name << " cut at " << n << " of " << s.bytes.size() << ": " << got;
    }
    for (std::size_t i = 0; i < s.bytes.size() + 300; ++i) {
      Bytes damaged = s.bytes;
      if (i < s.bytes.size()) damaged[i] ^= 0xFF;
      for (int k = 0; i >= s.bytes.size() && k < 8; ++k)
        damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
      EXPECT_LE(FromImage(damaged).size(), kMaxVersionBlockSize);
    }
  }
}

// Wine's own builds carry real version resources whose OriginalFilename is,
// with rare exceptions, the file's own name.
TEST(PeVersionRealFilesTest, WineBuiltFilesGivePlausibleNames) {
  const std::filesystem::path folder = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
  if (std::error_code e; !std::filesystem::is_directory(folder, e)) GTEST_SKIP() << "no " << folder;
  int values = 0, own_names = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    const std::string got = ReadOriginalFilenamePortable(entry.path().string());
    if (got.empty() || got == kOriginalFilenameUnknown) continue;
    ++values;
    EXPECT_TRUE(std::all_of(got.begin(), got.end(), [](char c) { return c > 0x20 && c < 0x7F; }))
        << name << ": " << got;
    own_names += std::equal(got.begin(), got.end(), name.begin(), name.end(), [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) ==
             std::tolower(static_cast<unsigned char>(b));
    });
  }
  EXPECT_GT(values, 100);
  EXPECT_GE(own_names * 100, values * 95);
}

}  // namespace
}  // namespace miwake
