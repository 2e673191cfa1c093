#include "identify/pe_version.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <random>

#include "support/pe_builder.h"

namespace miwake {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::BuildPe;
using testing::BuildVersionBlock;
using testing::SampleImage;
using testing::SimpleVersion;

std::string FromImage(const Bytes& image) {
  MemoryByteSource source(image);
  return OriginalFilenameFromPe(source);
}

std::string FromBlock(const Bytes& block) {
  return OriginalFilenameFromQuery(
      [&](std::string_view path) { return QueryVersionValue(block, path); });
}

void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
  // at() turns a patch that misses its target into a reported failure.
  b.at(at) = static_cast<std::uint8_t>(v);
  b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  Put16(b, at, static_cast<std::uint16_t>(v));
  Put16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}

std::size_t Find(const Bytes& haystack, const Bytes& needle) {
  const auto it = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end());
  EXPECT_NE(it, haystack.end());
  return static_cast<std::size_t>(it - haystack.begin());
}

// Offset of the version node with this key: its header stands before the key.
std::size_t NodeWithKey(const Bytes& block, std::string_view key) {
  Bytes utf16;
  for (const char c : key) utf16.insert(utf16.end(), {static_cast<std::uint8_t>(c), 0});
  utf16.insert(utf16.end(), {0, 0});
  return Find(block, utf16) - 6;
}

std::size_t NtHeaders(const Bytes& image) {
  return image[0x3C] | (image[0x3D] << 8);
}

const Bytes kImage = BuildPe({false, {SimpleVersion(0x0411, 0x04B0, u"FMIWAKER.EXE")}});
const Bytes kBlock = BuildVersionBlock(SimpleVersion(0x0411, 0x04B0, u"FMIWAKER.EXE"));

class SampleTest : public ::testing::TestWithParam<SampleImage> {};

TEST_P(SampleTest, GivesTheOutcomeOfTheWindowsFunctions) {
  EXPECT_EQ(FromImage(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleTest, ::testing::ValuesIn(testing::SampleImages()),
                         [](const auto& info) { return info.param.name; });

struct QueryCase {
  const char* name;
  std::function<void(Bytes&)> patch;
  const char* path;
  std::optional<std::string> expected;
};

const QueryCase kQueryCases[] = {
    {"exact", {}, "\\StringFileInfo\\041104B0\\OriginalFilename", "FMIWAKER.EXE"},
    {"letter_case", {}, "\\stringfileinfo\\041104b0\\ORIGINALFILENAME", "FMIWAKER.EXE"},
    {"empty_components", {}, "StringFileInfo\\\\041104B0\\OriginalFilename\\", "FMIWAKER.EXE"},
    {"key_prefix", {}, "\\StringFileInfo\\041104B0\\OriginalFile", std::nullopt},
    {"longer_than_key", {}, "\\StringFileInfo\\041104B0\\OriginalFilenames", std::nullopt},
    {"other_table", {}, "\\StringFileInfo\\040904B0\\OriginalFilename", std::nullopt},
    {"translation_raw", {}, "\\VarFileInfo\\Translation", std::string("\x11\x04\xB0\x04", 4)},
    {"length_in_bytes", [](Bytes& b) { Put16(b, NodeWithKey(b, "OriginalFilename") + 2, 26); },
     "\\StringFileInfo\\041104B0\\OriginalFilename", "FMIWAKER.EXE"},
    {"binary_typed_string", [](Bytes& b) { Put16(b, NodeWithKey(b, "OriginalFilename") + 4, 0); },
     "\\StringFileInfo\\041104B0\\OriginalFilename", std::string("F\0M\0I\0W\0A\0K\0E\0", 13)},
    {"zero_length_sibling_ends_search",
     [](Bytes& b) { Put16(b, NodeWithKey(b, "InternalName"), 0); },
     "\\StringFileInfo\\041104B0\\OriginalFilename", std::nullopt},
    {"sibling_beyond_parent", [](Bytes& b) { Put16(b, NodeWithKey(b, "CompanyName"), 0xFFF0); },
     "\\StringFileInfo\\041104B0\\OriginalFilename", std::nullopt},
    {"sixteen_bit_root", [](Bytes& b) { b[4] = 'V'; }, "\\VarFileInfo\\Translation", std::nullopt},
    {"high_byte_root_stays_32_bit", [](Bytes& b) { b[4] = 0x80; }, "\\VarFileInfo\\Translation",
     std::string("\x11\x04\xB0\x04", 4)},
};

class QueryTest : public ::testing::TestWithParam<QueryCase> {};

TEST_P(QueryTest, FollowsVerQueryValue) {
  Bytes block = kBlock;
  if (GetParam().patch) GetParam().patch(block);
  EXPECT_EQ(QueryVersionValue(block, GetParam().path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, QueryTest, ::testing::ValuesIn(kQueryCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PeVersionTest, RootValueIsTheFixedFileInfo) {
  const auto root = QueryVersionValue(kBlock, "\\");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->substr(0, 4), "\xBD\x04\xEF\xFE");
  EXPECT_EQ(root->size(), 52u);
}

TEST(PeVersionTest, BinaryTypedStringGivesItsBytesUpToTheFirstZero) {
  Bytes block = kBlock;
  Put16(block, NodeWithKey(block, "OriginalFilename") + 4, 0);
  EXPECT_EQ(FromBlock(block), "F");
}

TEST(PeVersionTest, PathUsesUpperCaseHex) {
  EXPECT_EQ(OriginalFilenamePath(0x0411, 0x04B0), "\\StringFileInfo\\041104B0\\OriginalFilename");
  EXPECT_EQ(OriginalFilenamePath(0x000A, 0xFDE9), "\\StringFileInfo\\000AFDE9\\OriginalFilename");
}

TEST(PeVersionTest, NonAsciiBecomesQuestionMarksOrWhatTheConverterSays) {
  const Bytes image = BuildPe({false, {SimpleVersion(0x0411, 0x04B0, u"\x30DF\x30EF.EXE")}});
  EXPECT_EQ(FromImage(image), "??.EXE");

  std::u16string seen;
  MemoryByteSource source(image);
  const auto cp932 = [&](std::u16string_view text) {
    seen = text;
    return std::string("\x83\x7E\x83\x8F.EXE");
  };
  EXPECT_EQ(OriginalFilenameFromPe(source, cp932), "\x83\x7E\x83\x8F.EXE");
  EXPECT_EQ(seen, u"\x30DF\x30EF.EXE");
}

TEST(PeVersionTest, ReadsTheResourceDataExactly) {
  MemoryByteSource source(kImage);
  EXPECT_EQ(ReadVersionBlock(source), kBlock);
}

struct ImageCase {
  const char* name;
  std::function<void(Bytes&)> patch;
};

std::size_t DataEntrySize(const Bytes& image) {
  Bytes size(4);
  Put32(size, 0, static_cast<std::uint32_t>(kBlock.size()));
  return Find(image, size);
}

const ImageCase kBrokenImages[] = {
    {"not_mz", [](Bytes& b) { b[0] = 'Z'; }},
    {"ne_file", [](Bytes& b) { b[NtHeaders(b)] = 'N'; }},
    {"le_file", [](Bytes& b) { b[NtHeaders(b)] = 'L'; }},
    {"negative_lfanew", [](Bytes& b) { Put32(b, 0x3C, 0xFFFFFFC0u); }},
    {"lfanew_past_end", [](Bytes& b) { Put32(b, 0x3C, 0x7FFFFFF0u); }},
    {"rom_magic", [](Bytes& b) { Put16(b, NtHeaders(b) + 24, 0x107); }},
    {"two_data_directories", [](Bytes& b) { Put32(b, NtHeaders(b) + 24 + 92, 2); }},
    {"no_sections", [](Bytes& b) { Put16(b, NtHeaders(b) + 6, 0); }},
    {"block_over_cap", [](Bytes& b) { Put32(b, DataEntrySize(b), kMaxVersionBlockSize + 1); }},
    {"block_past_end", [](Bytes& b) { Put32(b, DataEntrySize(b), 0x1000); }},
    {"data_outside_sections", [](Bytes& b) { Put32(b, DataEntrySize(b) - 4, 0x00FF0000u); }},
};

class BrokenImageTest : public ::testing::TestWithParam<ImageCase> {};

TEST_P(BrokenImageTest, HasNoVersionResource) {
  Bytes image = kImage;
  ASSERT_EQ(FromImage(image), "FMIWAKER.EXE");
  GetParam().patch(image);
  MemoryByteSource source(image);
  EXPECT_FALSE(ReadVersionBlock(source));
  EXPECT_EQ(FromImage(image), "");
}

INSTANTIATE_TEST_SUITE_P(Headers, BrokenImageTest, ::testing::ValuesIn(kBrokenImages),
                         [](const auto& info) { return std::string(info.param.name); });

std::vector<SampleImage> SweepSamples() {
  std::vector<SampleImage> chosen;
  for (auto& s : testing::SampleImages())
    if (s.name == "found_pe32" || s.name == "found_pe32_plus" || s.name == "other_resources" ||
        s.name == "language_neutral_first" || s.name == "value_only_under_later_translation")
      chosen.push_back(std::move(s));
  return chosen;
}

// Directories precede the data, so a cut either keeps the whole answer or
// loses the version block.
TEST(PeVersionSweepTest, CutAtEveryLengthGivesTheAnswerOrNothing) {
  for (const SampleImage& s : SweepSamples()) {
    for (std::size_t n = 0; n <= s.bytes.size(); ++n) {
      const Bytes cut(s.bytes.begin(), s.bytes.begin() + static_cast<std::ptrdiff_t>(n));
      const std::string got = FromImage(cut);
      if (got != "" && got != s.expected) FAIL() << s.name << " cut at " << n << ": " << got;
    }
  }
}

// A source whose reads fail from the n-th on, as a file that breaks mid-way.
class FailingSource final : public ByteSource {
 public:
  FailingSource(const Bytes& bytes, int good_reads) : inner_(bytes), left_(good_reads) {}
  std::uint64_t Size() const override { return inner_.Size(); }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    return left_-- > 0 ? inner_.ReadAt(offset, out) : out.size() / 2;
  }

 private:
  MemoryByteSource inner_;
  int left_;
};

TEST(PeVersionSweepTest, FailedReadAnywhereGivesTheAnswerOrNothing) {
  for (const SampleImage& s : SweepSamples()) {
    for (int good = 0; good < 200; ++good) {
      FailingSource source(s.bytes, good);
      const std::string got = OriginalFilenameFromPe(source);
      if (got != "" && got != s.expected) FAIL() << s.name << " after " << good << ": " << got;
    }
  }
}

TEST(PeVersionSweepTest, FlippedBytesNeverBreakTheReader) {
  std::mt19937 random(12345);
  for (const SampleImage& s : SweepSamples()) {
    for (std::size_t i = 0; i < s.bytes.size(); ++i) {
      Bytes flipped = s.bytes;
      flipped[i] ^= 0xFF;
      EXPECT_LE(FromImage(flipped).size(), kMaxVersionBlockSize);
    }
    for (int round = 0; round < 300; ++round) {
      Bytes damaged = s.bytes;
      for (int k = 0; k < 8; ++k)
        damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
      EXPECT_LE(FromImage(damaged).size(), kMaxVersionBlockSize);
    }
  }
}

TEST(PeVersionFileTest, ReadsAFileAndToleratesAMissingOne) {
  const auto path =
      (std::filesystem::temp_directory_path() / "miwake_pe_version_test.dll").string();
  ASSERT_TRUE(testing::WriteBytes(path, kImage));
  EXPECT_EQ(ReadOriginalFilenamePortable(path), "FMIWAKER.EXE");
  std::filesystem::remove(path);
  EXPECT_EQ(ReadOriginalFilenamePortable(path), "");
  EXPECT_EQ(ReadOriginalFilenamePortable(""), "");
}

// Wine's own builds carry real version resources whose OriginalFilename is,
// with rare exceptions, the file's own name.
TEST(PeVersionRealFilesTest, WineBuiltFilesGivePlausibleNames) {
  const std::filesystem::path folder = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) GTEST_SKIP() << "no " << folder;
  int values = 0, own_names = 0, empty_values = 0, unknown = 0, none = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    const std::string got = ReadOriginalFilenamePortable(entry.path().string());
    if (got == kOriginalFilenameUnknown) {
      ++unknown;
    } else if (!got.empty()) {
      ++values;
      EXPECT_TRUE(std::all_of(got.begin(), got.end(), [](char c) { return c > 0x20 && c < 0x7F; }))
          << name << ": " << got;
      own_names += std::equal(got.begin(), got.end(), name.begin(), name.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
      });
    } else {
      std::ifstream file(entry.path(), std::ios::binary);
      Bytes bytes((std::istreambuf_iterator<char>(file)), {});
      MemoryByteSource source(bytes);
      ++(ReadVersionBlock(source) ? empty_values : none);
    }
  }
  std::cout << "values " << values << " (own name " << own_names << "), empty values "
            << empty_values << ", UnKnown " << unknown << ", no version resource " << none << "\n";
  EXPECT_GT(values, 100);
  EXPECT_GE(own_names * 100, values * 95);
}

}  // namespace
}  // namespace miwake
