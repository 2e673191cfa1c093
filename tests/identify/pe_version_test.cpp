#include "identify/pe_version.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/encoding.h"
#include "identify/kinds.h"
#include "identify/version_refiner.h"
#include "support/sample_files.h"

namespace miwake {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Sample(const std::string& name) {
  return testing::FileBytes<Bytes>(MIWAKE_TEST_DATA "/pe-samples/" + name);
}

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

Bytes Utf16(std::string_view text) {
  Bytes utf16;
  for (const char c : text) utf16.insert(utf16.end(), {std::uint8_t(c), 0});
  return utf16;
}

// The version node with this key: its 6-byte header stands before the key.
std::size_t NodeWithKey(const Bytes& block, std::string_view key) {
  return Find(block, Utf16(std::string(key) + '\0')) - 6;
}

const Bytes kImage = Sample("fmiwaker.dll"), kBlock = Sample("fmiwaker.block");
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
  const Bytes image = Sample("non-ascii.dll");
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
  // The headers after e_lfanew, and the size in the version's data entry.
  const std::size_t nt = kImage.at(0x3C) | kImage.at(0x3D) << 8;
  const std::size_t size = Find(kImage, Patched(Bytes(4), 0, kBlock.size(), 4));
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
  // Headers that end where the resource directory starts leave it in its section.
  const Bytes headers_to_resources = Patched(
      kImage, nt + 24 + 60,
      kImage.at(nt + 24 + 112) | kImage.at(nt + 24 + 113) << 8 | kImage.at(nt + 24 + 114) << 16, 4);
  MemoryByteSource source(headers_to_resources);
  EXPECT_EQ(ReadVersionBlock(source), kBlock);
}

// Each sample gives what Windows gives. Directories precede the data, so a
// cut either keeps the whole answer or loses the version block.
TEST(PeVersionTest, SamplesGiveWhatWindowsGivesOrWhenCutNothing) {
  const auto samples = testing::ReadTable(MIWAKE_TEST_DATA "/pe-samples/expected.tsv");
  ASSERT_GE(samples.size(), 10u);
  for (const auto& sample : samples) {
    const Bytes bytes = Sample(sample.at(2));
    ASSERT_FALSE(bytes.empty()) << sample[2];
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
      const std::string got = FromImage({bytes.begin(), bytes.begin() + n});
      if (got != sample[1] && (got != "" || n == bytes.size()))
        ADD_FAILURE() << sample[2] << " cut at " << n << ": " << got;
    }
  }
  // A cut block gives a prefix of the value or nothing, the whole value once
  // it holds it, and reads no byte past its end.
  const std::size_t value_end = Find(kBlock, Utf16("FMIWAKER.EXE")) + 24;
  for (std::size_t n = 0; n <= kBlock.size(); ++n) {
    const auto got = QueryVersionValue(Bytes(kBlock.begin(), kBlock.begin() + n), kName);
    EXPECT_TRUE(n < value_end ? !got || std::string_view("FMIWAKER.EXE").starts_with(*got)
                              : got == "FMIWAKER.EXE")
        << n;
  }
}

TEST(VersionRefinerTest, TheExtensionOfTheOriginalFilenamePicksTheKind) {
  const std::pair<const char*, int> sub_kinds[] = {
      {"NAME.DLL", 2},  {"NAME.OCX", 3},  {"NAME.SCR", 4},  {"NAME.VXD", 5},
      {"NAME.CRL", 6},  {"NAME.DRV", 7},  {"NAME.CPL", 8},  {"NAME.AX", 9},
      {"NAME.VBX", 10}, {"NAME.ACM", 11}, {"NAME.DPL", 12}, {"NAME.VWP", 13}};
  for (const auto& [name, code] : sub_kinds)
    EXPECT_EQ(ExecutableKindFromOriginalFilename(name), code) << name;
  for (const char* name : {"x.Ocx", ".dll", "ソ.dll"})
    EXPECT_NE(ExecutableKindFromOriginalFilename(name), kKindExecutable) << name;
  for (const char* name : {"NOTEPAD.EXE", "", "UnKnown", "README.", "x.DLL.MUI", "a.dll ",
                           "a.dll\\b", "a.dll:b", "x.ＤＬＬ", "x.d11"})
    EXPECT_EQ(ExecutableKindFromOriginalFilename(name), kKindExecutable) << name;
  // A trail byte that looks like a capital letter is none.
  EXPECT_EQ(LowerAnsi("AZア.DLL@["), "azア.dll@[");
}

}  // namespace
}  // namespace miwake
