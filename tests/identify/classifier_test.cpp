#include "identify/classifier.h"

#include <gtest/gtest.h>

#include <random>

#include "identify/kinds.h"
#include "support/memory_file_system.h"
#include "support/reference_search.h"

namespace miwake {
namespace {

const std::string kOle("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8), kVb = "THUNVB 6.0 Cache file";
const auto Text = [](std::size_t n) { return std::string(n, 'a'); };
const auto Binary = [](std::size_t n) { return std::string(n, '\x01'); };

// `base` with `bytes` written over it at `at`, grown with binary bytes as needed.
std::string Put(std::string base, std::size_t at, std::string_view bytes) {
  if (base.size() < at + bytes.size()) base.resize(at + bytes.size(), '\x01');
  return base.replace(at, bytes.size(), bytes);
}

int Decide(std::string_view bytes, const char* names = "0000", bool* search = nullptr) {
  const FirstBlock block =
      AnalyzeFirstBlock({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  if (search != nullptr) *search = block.NeedsNameSearch();
  AppNameFlags flags;
  for (std::size_t i = 0; i < flags.size(); ++i) flags[i] = names[i] == '1';
  return DecideKind(block, flags);
}

TEST(FirstBlockTest, DecidesFromTheBytesAndTheApplicationNamesFound) {
  const std::string riff = Put(Binary(64), 0, "RIFF"), ole = Put(Binary(3000), 0, kOle);
  const struct {
    const char* what;
    std::string bytes;
    int code;
    bool search = false;
    const char* names = "0000";  // the flags of the names found, first application first
  } cases[] = {
      {"empty", "", kEmptyFileKind},
      {"19 of 20 text bytes is exactly 0.95: binary", Text(19) + Binary(1), 0},
      {"2376 of 2500: text", Text(2376) + Binary(624), 1},
      {"2375 of 2500: binary", Text(2375) + Binary(125) + Text(500), 0},
      {"bytes past 2500 are not looked at", Text(2500) + Put(Binary(100), 0, "MZ"), 1},
      {"BM at 2497 of 2500 text", "BM" + Text(2495) + Binary(3), 103},
      {"BM at 2498 of 2500 text", "BM" + Text(2496) + Binary(2), 1},
      {"BM at exactly 0.999", "BM" + Text(997) + Binary(1), 1},
      {"BM, binary", "BM" + Text(948) + Binary(50), 103},
      {"a 2-byte BM is text", "BM", 1},
      {"RIFF WAVE", Put(riff, 8, "WAVEfmt"), 31},
      {"RIFF of another form", Put(riff, 8, "CDXAfmt "), 0},
      {"WAVE form without RIFF", Put(Binary(64), 8, "WAVEfmt"), 0},
      {"a RIFF form beats any primary entry",
       Put(Put(riff, 8, "WAVEfmt"), 2080, "Microsoft Word 6"), 31},
      {"of two primary entries the later wins", Put(Put(Binary(2000), 0, "MZ"), 1032, kVb), 113},
      {"signature cut by the end", Put(Binary(4), 4, "Standard Jet D"), 0},
      {"signature up to the end", Put(Binary(4), 4, "Standard Jet DB"), 112},
      {"compound", ole, 0, true},
      {"compound Word 6", Put(ole, 2080, "Microsoft Word 6"), 101},
      {"compound of text", kOle + Text(3000), 1, false, "1000"},
      {"compound, Word found", ole, 51, true, "1000"},
      {"compound, Ichitaro found", ole, 53, true, "0010"},
      {"of two names the later wins", ole, 54, true, "1001"},
      {"a primary entry beats a name", Put(ole, 1032, kVb), 113, true, "0100"},
  };
  for (const auto& c : cases) {
    bool search = false;
    EXPECT_EQ(Decide(c.bytes, c.names, &search), c.code) << c.what;
    EXPECT_EQ(search, c.search) << c.what;
  }
  // Text bytes are 10, 13 and 32 to 255; one other among 20 tips the scale.
  for (int b = 0; b < 256; ++b)
    EXPECT_EQ(Decide(Text(19) + static_cast<char>(b)), b == 10 || b == 13 || b >= 32 ? 1 : 0) << b;
}

// Written out here rather than read from the table, so that a wrong byte or
// place in the table shows.
TEST(FirstBlockTest, EachSignatureCountsAtItsPlaceOnlyAndHasALabel) {
  const std::string riff = "RIFF\x01\x01\x01\x01";
  // clang-format off
  const struct {
    std::size_t at;
    std::string bytes;
    int code;
  } signatures[] = {
      {2080, "Microsoft Word 6", 101}, {2080, "Microsoft Excel 5", 102}, {0, "BM", 103},
      {0, "TOSHIBA", 104}, {0, "MZ", 105}, {3, "lh5", 106}, {6, "JFIF", 107}, {0, "GIF8", 108},
      {0, "MAKI01", 109}, {0, "PK\x03\x04", 110}, {0, "MSCF", 111}, {4, "Standard Jet DB", 112},
      {1032, kVb, 113}, {0, "MAKI02", 114}, {0, "?_", 115}, {0, "MThd", 116},
      {0, riff + "WAVEfmt", 31}, {0, riff + "AVI LIST", 32}, {0, riff + "RMIDdata", 33},
  };
  // clang-format on
  for (const auto& [at, bytes, code] : signatures) {
    EXPECT_EQ(Decide(Put(Binary(2500), at, bytes)), code) << bytes;
    EXPECT_EQ(Decide(Put(Binary(2500), at + 1, bytes)), 0) << bytes;
  }
  for (const Signature& s : kSignatures) EXPECT_TRUE(s.code == 0 || KindLabel(s.code)) << s.code;
}

class ClassifierTest : public ::testing::Test, ExecutableRefiner {
 protected:
  int Refine(const std::string& name, int) override { return refined.push_back(name), 2; }
  int Identify(const std::string& name, KindReasons* why = nullptr) {
    return classifier.Classify(files.OpenForClassify(name), name, why);
  }
  std::vector<std::string> refined;
  testing::MemoryFileSystem files;
  Classifier classifier{*this};
};

// Compound files by the application name found anywhere past the header, and
// only executables refined.
TEST_F(ClassifierTest, FindsApplicationNamesAndRefinesOnlyExecutables) {
  const std::pair<std::string, int> rows[] = {
      {Binary(100), 0},
      {Put(Binary(600), 0, "MZ"), 2},
      {Put(Put(Binary(30000), 0, kOle), 25000, "Microsoft PowerPoint"), 54},
      {Put(Put(Binary(9000), 0, kOle), 7000, "Microsoft Word"), 51},
      {Put(Put(Binary(9000), 0, kOle), 2080, "Microsoft Excel"), 52},
      {Put(Put(Binary(9000), 0, kOle), 8000, "一太郎 9/8 文書"), 53},
      {Put(Put(Binary(9000), 0, kOle), 2080, "Microsoft Excel 5.0 Worksheet"), 102},
  };
  for (const auto& [bytes, code] : rows) {
    files.Add("f", bytes);
    EXPECT_EQ(Identify("f"), code) << code;
  }
  EXPECT_EQ(refined, std::vector<std::string>{"f"});
}

TEST_F(ClassifierTest, ExplainsWhatDecided) {
  const struct {
    std::string bytes;
    int code;
    std::size_t text;
    std::string signature = {};
    std::size_t at = 0;
    std::string app = {};
    std::uint64_t app_at = 0;
  } rows[] = {
      {"hello\r\n", 1, 7},
      {"BM" + Text(1998) + Binary(3), 103, 2000, "BM"},
      {Put(Binary(100), 6, "JFIF"), 107, 4, "JFIF", 6},
      {Put(Binary(100), 0, "PK\x03\x04"), 110, 2, "PK\\x03\\x04"},
      {Put(Put(Binary(100), 0, "RIFF"), 8, "WAVEfmt"), 31, 11, "WAVEfmt", 8},
      {Put(Put(Binary(10000), 0, kOle), 9000, "Microsoft PowerPoint"), 54, 6,
       "\\xD0\\xCF\\x11\\xE0\\xA1\\xB1\\x1A\\xE1", 0, "Microsoft PowerPoint", 9000},
  };
  for (const auto& row : rows) {
    files.Add("f", row.bytes);
    KindReasons why;
    EXPECT_EQ(Identify("f", &why), row.code) << row.code;
    EXPECT_EQ(std::tuple(why.block_size, why.text_bytes, why.signature, why.signature_offset,
                         why.app_name, why.app_name_offset),
              std::tuple(std::min<std::size_t>(row.bytes.size(), 2500), row.text, row.signature,
                         row.at, row.app, row.app_at));
  }
  KindReasons why;
  EXPECT_EQ(Identify("missing", &why), -1);
}

TEST_F(ClassifierTest, FailuresGiveMinusOne) {
  const std::string ole = Put(Put(Binary(9000), 0, kOle), 5000, "Microsoft Word");
  const std::pair<std::string, bool testing::MemoryFile::*> cases[] = {
      {Text(10), &testing::MemoryFile::refuse_open},
      {Text(10), &testing::MemoryFile::fail_read},
      {Text(10), &testing::MemoryFile::fail_close},
      {ole, &testing::MemoryFile::fail_seek},  // in the name search
      {Put(Binary(2'000'000), 0, kOle), &testing::MemoryFile::fail_at_end},
  };
  int n = 0;
  for (const auto& [bytes, failure] : cases) {
    const std::string name = "f" + std::to_string(++n);
    testing::MemoryFile& file = files.Add(name, bytes);
    file.*failure = true;
    EXPECT_EQ(Identify(name), kKindUnreadable) << name;
    file.*failure = false;
    EXPECT_NE(Identify(name), kKindUnreadable) << name;
  }
}

TEST(NameSearchTest, AgreesWithTheBlockLoopAtEveryBoundary) {
  std::mt19937 rng(20261206);
  const std::string names[] = {"Microsoft Word", "Microsoft Excel", "一太郎 9/8 文書",
                               "Microsoft PowerPoint", "Microsoft Wor"};
  const std::size_t read_span = 2480 * 128;  // the search's own read size, less the overlap
  testing::MemoryFileSystem files;
  const auto agree = [&](const std::string& file) {
    files.Add("f", file);
    return SearchApplicationNames(*files.OpenForClassify("f")) == testing::ReferenceSearch(file);
  };
  // The first and last candidates of a block and of a read.
  for (const std::size_t at : {std::size_t{2080}, std::size_t{4559}, std::size_t{4560},
                               2079 + read_span, 2080 + read_span})
    EXPECT_TRUE(agree(Put(Binary(at + 100), at, "Microsoft Word"))) << at;
  // The last candidate before the end, for every phase of the search's sampling.
  for (std::size_t size = 3000; size < 3030; ++size)
    EXPECT_TRUE(agree(Put(Binary(size), size - 21, "Microsoft Word"))) << size;
  for (int round = 0; round < 300; ++round) {
    std::string file(rng() % (3 * read_span), '\0');
    for (char& c : file) c = static_cast<char>(rng());
    for (int k = rng() % 5; k > 0 && file.size() > 40; --k) {
      const std::string& name = names[rng() % 5];
      // Mostly near block, read and file ends, where off-by-one faults live.
      const std::size_t at = rng() % 4 == 0   ? 2080 + 2480 * (rng() % 300) + rng() % 41 - 20
                             : rng() % 3 == 0 ? 2080 + read_span * (rng() % 3) + rng() % 41 - 20
                             : rng() % 2 == 0 ? file.size() - 1 - rng() % 40
                                              : rng() % file.size();
      if (at + name.size() <= file.size()) file.replace(at, name.size(), name);
    }
    ASSERT_TRUE(agree(file)) << "round " << round << ", size " << file.size();
  }
}

// The rule of the extension change, applied to a file's own name.
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
