#include "identify/classifier.h"

#include <gtest/gtest.h>

#include <random>

#include "identify/kinds.h"
#include "identify/name_search.h"
#include "support/memory_file_system.h"

namespace miwake {
namespace {

using testing::MemoryFileSystem;

const std::string kOle("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

std::string Text(std::size_t n) {
  return std::string(n, 'a');
}
std::string Binary(std::size_t n) {
  return std::string(n, '\x01');
}

// `base` with `bytes` written over it at `offset`, grown as needed.
std::string Put(std::string base, std::size_t offset, std::string_view bytes) {
  if (base.size() < offset + bytes.size()) base.resize(offset + bytes.size(), '\x01');
  base.replace(offset, bytes.size(), bytes);
  return base;
}

class CountingCursor final : public BusyCursor {
 public:
  void Begin() override { ++begun, ++depth; }
  void End() override { --depth; }
  int begun = 0;
  int depth = 0;
};

class RecordingRefiner final : public ExecutableRefiner {
 public:
  int Refine(const std::string& name, int code) override {
    asked.push_back(name);
    return answer == 0 ? code : answer;
  }
  std::vector<std::string> asked;
  int answer = 0;
};

class ClassifierTest : public ::testing::Test {
 protected:
  void SetUp() override { TheAnswerCache() = AnswerCache{}; }
  int Identify(const std::string& name) {
    const int code = IdentifyFile(name, ClassifierPorts{files, cursor, refiner});
    EXPECT_EQ(cursor.depth, 0) << "busy cursor left on";
    return code;
  }
  int IdentifyContent(const std::string& bytes) {
    files.Add("f", bytes);
    ForgetLastFile();
    return Identify("f");
  }
  MemoryFileSystem files;
  CountingCursor cursor;
  RecordingRefiner refiner;
};

struct ContentCase {
  const char* what;
  std::string bytes;
  int code;
};

TEST_F(ClassifierTest, DecidesFromContent) {
  const std::string riff = Put(Binary(64), 0, "RIFF");
  const ContentCase cases[] = {
      {"19 of 20 text bytes is exactly 0.95: binary", Text(19) + Binary(1), 0},
      {"2375 of 2500 text bytes: binary", Text(2375) + Binary(125) + Text(500), 0},
      {"2376 of 2500 text bytes: text", Text(2376) + Binary(124) + Binary(500), 1},
      {"bytes past 2500 are not counted", Text(2500) + Binary(5000), 1},
      {"text starting BM, 2376 of 2500", "BM" + Text(2374) + Binary(124), 103},
      {"BM, 998 of 1000 text", "BM" + Text(996) + Binary(2), 103},
      {"BM, 999 of 1000 is exactly 0.999: text", "BM" + Text(997) + Binary(1), 1},
      {"BM, 950 of 1000: binary branch", "BM" + Text(948) + Binary(50), 103},
      {"a 2-byte file holding BM is text", "BM", 1},
      {"94 letters and 6 tabs", Text(94) + std::string(6, '\t'), 0},
      {"form feed and Ctrl-Z are not text", Text(18) + "\f\x1a", 0},
      {"CR, LF and high bytes are text", std::string(10, '\r') + std::string(10, '\xFF'), 1},
      {"MZ followed by text is text", "MZ" + Text(3000), 1},
      {"RIFF WAVE", Put(riff, 8, "WAVEfmt"), 31},
      {"RIFF AVI", Put(riff, 8, "AVI LIST"), 32},
      {"RIFF MIDI", Put(riff, 8, "RMIDdata"), 33},
      {"RIFF of another form", Put(riff, 8, "CDXAfmt "), 0},
      {"WAVE form without RIFF", Put(Binary(64), 8, "WAVEfmt"), 0},
      {"RIFF form beats a primary entry",
       Put(Put(riff, 8, "WAVEfmt"), 1032, "THUNVB 6.0 Cache file"), 31},
      {"MZ with the VB cache name gives the higher entry",
       Put(Put(Binary(2000), 0, "MZ"), 1032, "THUNVB 6.0 Cache file"), 113},
      {"GIF8 beats JFIF", Put(Put(Binary(64), 0, "GIF8"), 6, "JFIF"), 108},
      {"JFIF at offset 6", Put(Binary(64), 6, "JFIF"), 107},
      {"JFIF elsewhere", Put(Binary(64), 0, "JFIF"), 0},
      {"letter case counts", Put(Binary(64), 0, "gif8"), 0},
      {"lh5 at offset 3", Put(Binary(64), 3, "lh5"), 106},
      {"ZIP local header", Put(Binary(64), 0, "PK\x03\x04"), 110},
      {"empty ZIP is no local header", Put(Binary(64), 0, "PK\x05\x06"), 0},
      {"Jet database", Put(Binary(64), 4, "Standard Jet DB"), 112},
      {"signature cut by the end of the file", Put(Binary(4), 4, "Standard Jet D"), 0},
      {"TOSHIBA", Put(Binary(64), 0, "TOSHIBA"), 104},
      {"MSCF", Put(Binary(64), 0, "MSCF"), 111},
      {"MAKI01", Put(Binary(64), 0, "MAKI01"), 109},
      {"MAKI02", Put(Binary(64), 0, "MAKI02"), 114},
      {"help file", Put(Binary(64), 0, "?_"), 115},
      {"MIDI", Put(Binary(64), 0, "MThd"), 116},
      {"MZ", Put(Binary(64), 0, "MZ"), 105},
      {"Word 6 at 2080", Put(Put(Binary(4000), 0, kOle), 2080, "Microsoft Word 6"), 101},
      {"Excel 5 at 2080", Put(Put(Binary(4000), 0, kOle), 2080, "Microsoft Excel 5"), 102},
      {"compound, PowerPoint at 5000",
       Put(Put(Binary(9000), 0, kOle), 5000, "Microsoft PowerPoint"), 54},
      {"compound, Ichitaro", Put(Put(Binary(9000), 0, kOle), 7000, "一太郎 9/8 文書"), 53},
      {"compound, Excel", Put(Put(Binary(9000), 0, kOle), 3000, "Microsoft Excel"), 52},
      {"compound, no name", Put(Binary(9000), 0, kOle), 0},
      {"compound, name before 2080", Put(Put(Binary(9000), 0, kOle), 2000, "Microsoft Word"), 0},
      {"compound, name in the last 20 bytes",
       Put(Put(Binary(8000), 0, kOle), 7980, "Microsoft Word"), 0},
      {"compound, name 21 bytes from the end",
       Put(Put(Binary(8000), 0, kOle), 7979, "Microsoft Word"), 51},
      {"compound of 2080 bytes", Put(Binary(2080), 0, kOle), 0},
      {"compound, primary beats a name",
       Put(Put(Put(Binary(9000), 0, kOle), 1032, "THUNVB 6.0 Cache file"), 5000, "Microsoft Word"),
       113},
      {"compound of text", kOle + Text(3000) + "Microsoft Word" + Text(100), 1},
      {"the empty file", "", kEmptyFileKind},
  };
  for (const ContentCase& c : cases) EXPECT_EQ(IdentifyContent(c.bytes), c.code) << c.what;
}

TEST_F(ClassifierTest, NameSearchStopsAtTheFirstBlockWithAHit) {
  const std::string ole = Put(Binary(30000), 0, kOle);
  // Blocks start at 2080 + 2480k; each offers 2480 candidate starts.
  const std::size_t block2 = 2080 + 2 * 2480;
  struct Case {
    const char* what;
    std::size_t word, powerpoint;
    int code;
  } cases[] = {
      {"both in one block: the higher entry wins", block2 + 10, block2 + 2000, 54},
      {"Word in an earlier block", block2 - 1, block2 + 20, 51},
      {"Word at the last start of the same block", block2 + 2479, block2, 54},
      {"Word at the last start, PowerPoint in the next block", block2 + 2479, block2 + 2500, 51},
  };
  for (const Case& c : cases) {
    const std::string bytes =
        Put(Put(ole, c.word, "Microsoft Word"), c.powerpoint, "Microsoft PowerPoint");
    EXPECT_EQ(IdentifyContent(bytes), c.code) << c.what;
  }
}

TEST_F(ClassifierTest, Word6SkipsTheNameSearch) {
  files.Add("w", Put(Put(Binary(9000), 0, kOle), 2080, "Microsoft Word 6"));
  EXPECT_EQ(Identify("w"), 101);
  EXPECT_EQ(files.opens, 1);
}

TEST_F(ClassifierTest, FailuresGiveMinusOneAndAreAskedAgain) {
  const std::string ole = Put(Put(Binary(9000), 0, kOle), 5000, "Microsoft Word");
  const std::string big_ole = Put(Binary(2'000'000), 0, kOle);
  struct Case {
    const char* what;
    std::string bytes;
    bool testing::MemoryFile::*failure;
  } cases[] = {
      {"refused open", Text(10), &testing::MemoryFile::refuse_open},
      {"failed read", Text(10), &testing::MemoryFile::fail_read},
      {"failed close", Text(10), &testing::MemoryFile::fail_close},
      {"failed seek in the name search", ole, &testing::MemoryFile::fail_seek},
      {"failed end test in the name search", big_ole, &testing::MemoryFile::fail_at_end},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TheAnswerCache() = AnswerCache{};
    testing::MemoryFile& file = files.Add("f", c.bytes);
    file.*c.failure = true;
    EXPECT_EQ(Identify("f"), kKindUnreadable);
    EXPECT_EQ(TheAnswerCache().LastFileName, "f");
    EXPECT_EQ(TheAnswerCache().LastKind, kKindUnreadable);
    file.*c.failure = false;
    EXPECT_NE(Identify("f"), kKindUnreadable) << "a failure must not be cached";
  }
}

TEST_F(ClassifierTest, AnswersARepeatedNameFromTheCache) {
  files.Add("memo", Text(100));
  EXPECT_EQ(Identify("memo"), 1);
  files.Add("memo", Binary(100));  // changed meanwhile: the cache still answers
  EXPECT_EQ(Identify("memo"), 1);
  EXPECT_EQ(files.opens, 1);
  EXPECT_EQ(cursor.begun, 1) << "a cached answer shows no busy cursor";

  files.Add("MEMO", Binary(100));
  EXPECT_EQ(Identify("MEMO"), 0) << "another letter case is another name";
  ForgetLastFile();
  EXPECT_EQ(Identify("MEMO"), 0);
  EXPECT_EQ(files.opens, 3);
}

TEST_F(ClassifierTest, RefinesOnlyExecutablesAndCachesTheRefinedCode) {
  refiner.answer = 2;
  files.Add("setup.exe", Put(Binary(600), 0, "MZ"));
  files.Add("readme", "MZ" + Text(600));
  EXPECT_EQ(Identify("readme"), 1);
  EXPECT_TRUE(refiner.asked.empty());
  EXPECT_EQ(Identify("setup.exe"), 2);
  EXPECT_EQ(Identify("setup.exe"), 2);
  EXPECT_EQ(refiner.asked, std::vector<std::string>{"setup.exe"});
  EXPECT_EQ(TheAnswerCache().LastKind, 2);
}

// The search as a plain loop over 2500-byte blocks, one at a time.
AppNameFlags ReferenceSearch(const std::string& file) {
  const std::string_view names[] = {kSignatures[21].bytes, kSignatures[22].bytes,
                                    kSignatures[23].bytes, kSignatures[24].bytes};
  AppNameFlags flags;
  for (std::size_t s = 2080;;) {
    const std::size_t n = s >= file.size() ? 0 : std::min<std::size_t>(2500, file.size() - s);
    const std::string_view block = std::string_view(file).substr(std::min(s, file.size()), n);
    bool found = false;
    for (std::size_t k = 0; k < 4 && n > 20; ++k)
      for (std::size_t j = 0; j + 20 < n; ++j)
        if (block.substr(j).starts_with(names[k])) flags[k] = found = true;
    if (found || s + n >= file.size()) return flags;
    s = s + n - 20;
  }
}

TEST_F(ClassifierTest, NameSearchAgreesWithTheBlockLoopAtEveryBoundary) {
  std::mt19937 rng(20261206);
  const std::string names[] = {"Microsoft Word", "Microsoft Excel", "一太郎 9/8 文書",
                               "Microsoft PowerPoint", "Microsoft Wor"};
  const std::size_t read_span = 2480 * 128;  // the search's own read size, less the overlap
  for (int round = 0; round < 300; ++round) {
    std::string file(std::uniform_int_distribution<std::size_t>(0, 3 * read_span)(rng), '\0');
    for (char& c : file) c = static_cast<char>(rng());
    const int count = std::uniform_int_distribution<int>(0, 4)(rng);
    for (int k = 0; k < count && file.size() > 40; ++k) {
      const std::string& name = names[rng() % 5];
      // Mostly near block, read and file ends, where off-by-one faults live.
      std::size_t at;
      switch (rng() % 4) {
        case 0:
          at = 2080 + 2480 * (rng() % 300) + rng() % 41 - 20;
          break;
        case 1:
          at = 2080 + read_span * (rng() % 3) + rng() % 41 - 20;
          break;
        case 2:
          at = file.size() - 1 - rng() % 40;
          break;
        default:
          at = rng() % file.size();
          break;
      }
      if (at + name.size() <= file.size()) file.replace(at, name.size(), name);
    }
    files.Add("f", file);
    auto open = files.OpenForClassify("f");
    const auto got = SearchApplicationNames(*open);
    ASSERT_TRUE(got);
    ASSERT_EQ(*got, ReferenceSearch(file)) << "round " << round << ", size " << file.size();
  }
}

}  // namespace
}  // namespace miwake
