// The parts of a batch run on their own: names, the ordered runner, the
// progress line, the folders a walk keeps open, JSON paths, and the rename journal over real files
// (under Wine: the Win32 ones) with a failure planted at each point of a fix run: no file may lose
// its content or its name.
#include <gmock/gmock.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <tuple>
#include <vector>

#include <nlohmann/json.hpp>

#include "miwake/folder_listing.h"
#include "miwake/names.h"
#include "miwake/ordered_runner.h"
#include "miwake/progress_line.h"
#include "miwake/rename_journal.h"
#include "miwake/report.h"
#include "support/sample_files.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>

#include "common/file_system_posix.h"
#endif

namespace miwake {
namespace {

TEST(BatchNames, Encodes) {
  // Valid UTF-8 (shown empty) with the lowest and highest leads, then invalid: overlong, Shift-JIS
  // テ, overlong, a surrogate, above U+10FFFF, cut short; '?' stands for each U+FFFD shown.
  // clang-format off
  const std::pair<std::string, std::string> texts[] = {
      {"a\xdf\xbf\xe0\xa0\x80\xf0\x90\x80\x80\xf1\x80\x80\x80", ""}, {"\xf0\x8f\xbf\xbf", "????"},
      {"\x83\x65", "?e"}, {"\xc0\xaf", "??"}, {"\xed\xa0\x80", "???"}, {"\xf4\x90\x80\x80", "????"},
      {"a\xe3\x81", "a??"}};
  // clang-format on
  for (const auto& [bytes, shown] : texts) {
    std::string lossy;
    for (const char c : shown) lossy += c == '?' ? std::string("\xEF\xBF\xBD") : std::string(1, c);
    EXPECT_EQ(IsUtf8(bytes), shown.empty()) << bytes;
    EXPECT_EQ(LossyUtf8(bytes), shown.empty() ? bytes : lossy) << bytes;
  }

  const std::pair<std::string, std::string> base64[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foob", "Zm9vYg=="}, {"\xff\xfe\x83", "//6D"}};
  for (const auto& [bytes, text] : base64) EXPECT_EQ(Base64(bytes), text);
}

// Sets each item's code from its name after a random pause, so that the
// workers finish out of order.
struct SlowWork final : ItemWork {
  explicit SlowWork(unsigned seed) : random(seed) {}
  void Process(BatchItem& item) override {
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
    item.code = std::stoi(item.path);
  }
  std::minstd_rand random;
};

TEST(OrderedRunner, EmitsInTheSourcesOrderAndStopsWhenTold) {
  // Jobs, items, window, the emit that says stop (-1: none); runs of items
  // are handed out, so counts about a run's length matter.
  // clang-format off
  const std::array<std::array<int, 4>, 9> rows{{
      {1, 100, 4, -1}, {2, 100, 4, 20}, {5, 100, 4, -1}, {5, 100, 4, 20}, {2, 0, 256, -1},
      {3, 1, 256, -1}, {3, 64, 256, -1}, {2, 1000, 256, -1}, {3, 1000, 256, 500}}};
  // clang-format on
  for (const auto [jobs, count, window, stop_at] : rows) {
    SCOPED_TRACE(::testing::PrintToString(std::array{jobs, count, window, stop_at}));
    int next = 0;
    std::atomic<int> workers = 0;
    std::vector<BatchItem> emitted;
    OrderedRun run;
    run.jobs = static_cast<unsigned>(jobs);
    run.window = static_cast<std::size_t>(window);
    run.source = [&](BatchItem& item) {
      if (next == count) return false;
      item.state = next % 7 ? ItemState::kFile : ItemState::kMissing;
      item.code = kKindUnreadable;
      item.path = std::to_string(next++);
      return true;
    };
    run.make_work = [&] { return std::make_unique<SlowWork>(++workers); };
    run.emit = [&](BatchItem& item) {
      emitted.push_back(item);
      // Taken ahead of the one emitted: at most the window.
      EXPECT_LE(static_cast<std::size_t>(next), emitted.size() - 1 + window);
      return static_cast<int>(emitted.size()) - 1 != stop_at;
    };
    RunOrdered(run);
    if (count > 0) {
      EXPECT_EQ(workers, jobs);
    }
    ASSERT_EQ(emitted.size(), static_cast<std::size_t>(stop_at < 0 ? count : stop_at + 1));
    for (std::size_t i = 0; i < emitted.size(); ++i) {
      EXPECT_EQ(emitted[i].path, std::to_string(i));
      // Only files are worked on.
      EXPECT_EQ(emitted[i].code, i % 7 ? static_cast<int>(i) : kKindUnreadable);
    }
  }
}

TEST(ProgressLine, ShowsAfterASecondAtMostFiveTimesASecondAndGoesAway) {
  std::ostringstream err;
  ProgressLine line(err, NameStyle::kPosix, 5000);
  const std::string deep = "/d/" + std::string(14, '\x01') + "\xe3\x81\x82\xe3\x81\x82" +
                           std::string(35, 'f');  // the last 40 bytes start inside the first あ
  const struct {
    ProgressLine::Time at;
    bool due;
    std::size_t done = 0;
    std::string folder = {}, drawn = {};
  } steps[] = {
      {5999, false},
      {6000, true, 30, "/data/photos", "\r30 files, 30/s, /data/photos"},
      {6199, false},
      {6200, true, 31, "", "\r31 files, 25/s              "},
      {7000, true, 70, deep, "\r70 files, 35/s, ...\xe3\x81\x82" + std::string(35, 'f')},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(line.Due(s.at), s.due) << s.at;
    if (!s.due) continue;
    err.str("");
    line.Draw(s.done, s.folder, s.at);
    EXPECT_EQ(err.str(), s.drawn) << s.at;
  }
  err.str("");
  line.Clear();
  EXPECT_EQ(err.str(), "\r" + std::string(57, ' ') + "\r");
  err.str("");
  line.Clear();  // nothing to clear twice, nor to cover after a clear
  line.Draw(70, "", 7200);
  EXPECT_EQ(err.str(), "\r70 files, 31/s");

  // Code page 932 is cut between characters too: 表 ends in a backslash's byte.
  ProgressLine cp932(err, NameStyle::kWindows, 0);
  const std::string hyo = "\x95\x5c\x95\x5c\x95\x5c\x95\x5c";
  for (const std::size_t xs : {39, 40}) {  // the cut inside 表, then just after it
    err.str("");
    cp932.Draw(1, "C:\\" + hyo + std::string(xs, 'x'), 1000 + 200 * xs);
    EXPECT_EQ(err.str().substr(err.str().find("...")), "..." + std::string(xs, 'x'));
  }
}

using ::testing::ElementsAreArray;
using Item = std::tuple<std::string, std::string, UndoOutcome>;

const auto Bytes = [](const std::string& name) { return testing::FileBytes(name); };
void Write(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

// The test is the file system and the journal, over real ones in a fresh
// folder: the renames away from `unrenamed` and the records of `unrecorded` fail.
class JournalTest : public ::testing::Test, public FileSystem, public RenameJournal {
 protected:
  bool FileExists(const std::string& name) override { return real_->FileExists(name); }
  bool FolderExists(const std::string& name) override { return real_->FolderExists(name); }
  std::unique_ptr<OpenFile> OpenForClassify(const std::string&) override { return nullptr; }
  std::unique_ptr<OpenFile> OpenForReading(const std::string& name) override {
    return real_->OpenForReading(name);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    return !unrenamed.contains(from) && real_->Rename(from, to);
  }
  bool Delete(const std::string& name) override { return real_->Delete(name); }
  std::optional<FileIdentity> IdentityOf(const std::string& name) override {
    return real_->IdentityOf(name);
  }
  int LastError() const override { return real_->LastError(); }
  bool Record(const std::string& from, const std::string& to, const FileIdentity& id) override {
    if (!unrecorded.contains(from) && journal_->Record(from, to, id)) {
      if (appearing.contains(from)) Write(to, "taken");  // after the check, before the rename
      return true;
    }
    return false;
  }

  // Names hold the backslash's byte as the second of a Shift-JIS pair.
  std::string Doc(int i) { return dir.path() + ("f\x95\x5C" + std::to_string(i) + ".doc"); }
  std::string Txt(int i) { return dir.path() + ("f\x95\x5C" + std::to_string(i) + ".txt"); }
  static std::string Content(int i) { return std::string(1000 + i, static_cast<char>('a' + i)); }
  // Undone after the journal is closed, as by a later run.
  std::vector<Item> Undo(const std::string& path) {
    journal_.reset();
    const UndoResult result = UndoRenames(*this, path);
    EXPECT_TRUE(result.read) << result.error;
    std::vector<Item> items;
    for (const UndoItem& item : result.items)
      items.emplace_back(item.original, item.renamed, item.outcome);
    return items;
  }

  testing::TempFolder dir;
  const std::string journal_path = dir.path() + "fix.journal";
  std::set<std::string> unrenamed, unrecorded, appearing;
  std::string error;
  std::unique_ptr<RenameJournal> journal_ = CreateRenameJournal(journal_path, error);

 private:
  std::unique_ptr<FileSystem> real_ = MakePlatformFileSystem();
};

// One letter per file, in the order of FixOutcome: '.' no fault, 'T' target taken, 'U' not
// recorded, 'R' rename refused; 'A' the target appears just before the rename.
class FixFaultTest : public JournalTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(FixFaultTest, EveryFileKeepsItsContentAndGetsItsNameBack) {
  const std::string faults = GetParam();
  for (int i = 0; i < 4; ++i) {
    Write(Doc(i), Content(i));
    if (faults[i] == 'T') Write(Txt(i), "taken");
    if (faults[i] == 'U') unrecorded.insert(Doc(i));
    if (faults[i] == 'R') unrenamed.insert(Doc(i));
    if (faults[i] == 'A') appearing.insert(Doc(i));
  }
  std::vector<Item> expected;  // newest first
  for (int i = 0; i < 4; ++i) {
    const FixOutcome outcome = FixName(*this, *this, Doc(i), Txt(i));
    const char fault = faults[i] == 'A' ? 'T' : faults[i];
    EXPECT_EQ(outcome, static_cast<FixOutcome>(std::string(".TUR").find(fault))) << i;
    const bool renamed = outcome == FixOutcome::kRenamed;
    EXPECT_EQ(Bytes(renamed ? Txt(i) : Doc(i)), Content(i)) << i;
    EXPECT_NE(FileExists(Doc(i)), renamed) << i;
    if (renamed || outcome == FixOutcome::kFailed || faults[i] == 'A')
      expected.emplace(expected.begin(), Doc(i), Txt(i),
                       renamed            ? UndoOutcome::kRestored
                       : faults[i] == 'A' ? UndoOutcome::kNameTaken  // by the other file
                                          : UndoOutcome::kAlreadyOriginal);
  }
  unrenamed.clear();
  EXPECT_THAT(Undo(journal_path), ElementsAreArray(expected));
  for (auto& [from, to, outcome] : expected)
    if (outcome == UndoOutcome::kRestored) outcome = UndoOutcome::kAlreadyOriginal;
  EXPECT_THAT(Undo(journal_path), ElementsAreArray(expected)) << "a second undo changes nothing";
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Bytes(Doc(i)), Content(i)) << i;
    EXPECT_EQ(Bytes(Txt(i)), faults[i] == 'T' || faults[i] == 'A' ? "taken" : "") << i;
  }
}

// Each fault at each file, and after and before sound ones.
INSTANTIATE_TEST_SUITE_P(EachPoint, FixFaultTest,
                         ::testing::Values("....", "TUR.", ".TUR", "R.TU", "UR.T", ".AU."));

TEST_F(JournalTest, UndoGoesNewestFirstAndNeverReplaces) {
  for (int i = 0; i < 5; ++i) Write(Doc(i), Content(i));
  // The last takes the name that the one before gave up.
  for (int i = 0; i < 5; ++i)
    ASSERT_EQ(FixName(*this, *this, Doc(i), i < 4 ? Txt(i) : Doc(3)), FixOutcome::kRenamed);
  Write(Doc(0), "a new file under the old name");
  Delete(Txt(1));
  unrenamed = {Txt(2)};
  EXPECT_THAT(Undo(journal_path),
              ElementsAreArray(std::vector<Item>{{Doc(4), Doc(3), UndoOutcome::kRestored},
                                                 {Doc(3), Txt(3), UndoOutcome::kRestored},
                                                 {Doc(2), Txt(2), UndoOutcome::kFailed},
                                                 {Doc(1), Txt(1), UndoOutcome::kMissing},
                                                 {Doc(0), Txt(0), UndoOutcome::kNameTaken}}));
  EXPECT_EQ(Bytes(Doc(0)) + Bytes(Txt(0)), "a new file under the old name" + Content(0));
}

// Only the file that was renamed goes back: not another that took its name
// since, though of the same bytes and time, nor the file changed since.
TEST_F(JournalTest, UndoMovesBackOnlyTheFileThatWasRenamed) {
  const auto name = [&](int i, const char* ext) { return dir.path() + std::to_string(i) + ext; };
  std::vector<Item> expected;
  for (int i = 0; i < 4; ++i) {
    Write(name(i, ".doc"), Content(i));
    ASSERT_EQ(FixName(*this, *this, name(i, ".doc"), name(i, ".txt")), FixOutcome::kRenamed);
    expected.emplace(expected.begin(), name(i, ".doc"), name(i, ".txt"),
                     i < 3 ? UndoOutcome::kNotTheSameFile : UndoOutcome::kRestored);
  }
  const auto then = std::filesystem::last_write_time(name(0, ".txt"));
  Write(name(0, ".new"), Content(0));
  std::filesystem::last_write_time(name(0, ".new"), then);
  std::filesystem::rename(name(0, ".new"), name(0, ".txt"));
  std::ofstream(name(1, ".txt"), std::ios::app) << '!';
  std::filesystem::last_write_time(name(2, ".txt"), then + std::chrono::seconds(1));
  EXPECT_THAT(Undo(journal_path), ElementsAreArray(expected));
  EXPECT_EQ(Bytes(name(0, ".txt")) + Bytes(name(1, ".txt")), Content(0) + Content(1) + '!');
}

#ifndef _WIN32
// Without the no-replace rename (NFS), a rename is a link and an unlink; a
// run killed in between leaves the file under both names, and undo takes the
// new one away.
TEST_F(JournalTest, UndoRemovesTheNewNameOfAFileLeftUnderBoth) {
  for (int i = 0; i < 2; ++i) Write(Doc(i), Content(i));
  EXPECT_THROW(FixName(*MakePosixFileSystem({true, [] { throw 9; }}), *this, Doc(0), Txt(0)), int);
  EXPECT_EQ(FixName(*MakePosixFileSystem({true, {}}), *this, Doc(1), Txt(1)), FixOutcome::kRenamed);
  EXPECT_THAT(Undo(journal_path), ElementsAreArray(std::vector<Item>{
                                      {Doc(1), Txt(1), UndoOutcome::kRestored},
                                      {Doc(0), Txt(0), UndoOutcome::kDuplicateRemoved}}));
  EXPECT_EQ(Bytes(Doc(0)) + Bytes(Txt(0)) + Bytes(Doc(1)), Content(0) + Content(1));
}
#endif

// Runs in the same second, of one process or of several, never meet.
TEST_F(JournalTest, DefaultJournalNamesNeverCollide) {
  const std::string stem = DefaultJournalStem();
  EXPECT_TRUE(std::regex_match(stem, std::regex(R"(miwake-\d{8}-\d{6}-\d+)")));
  std::string first, second;
  const auto made = CreateUniqueRenameJournal(dir.path() + stem, first, error);
  ASSERT_TRUE(made && made->Record("a", "b", {}));
  ASSERT_TRUE(CreateUniqueRenameJournal(dir.path() + stem, second, error)) << error;
  EXPECT_EQ(Bytes(first), "miwake rename journal 2\na\tb\t0:0:0:0\n");
}

// Any byte goes through; a journal cut anywhere (a crash in the middle of a
// write) gives exactly the pairs whose line is complete.
TEST_F(JournalTest, NamesKeepEveryByteAndOnlyCutLinesAreIgnoredSilently) {
  std::string every_byte(256, '\0');
  for (int i = 0; i < 256; ++i) every_byte[i] = static_cast<char>(i);
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {every_byte, "%41%"}, {"a\tb\r\n%25 .doc", "\x95\x5C\x83\x5C.txt"}, {"", "%%"}};
  for (const auto& [from, to] : pairs) ASSERT_TRUE(Record(from, to, {7, 8, 9, -1}));
  // Readable while the run goes on, in an editor say.
  const std::string whole = Bytes(journal_path), cut = dir.path() + "cut.journal";
  EXPECT_NE(whole.find("\na%09b%0D%0A%2525 .doc\t\x95\x5C\x83\x5C.txt\t7:8:9:-1\n"),
            std::string::npos)
      << "readable: only control bytes and '%' are escaped";
  for (std::size_t size = 1; size <= whole.size(); ++size) {
    Write(cut, whole.substr(0, size));
    std::vector<Item> expected;
    for (auto i = std::count(whole.begin(), whole.begin() + size, '\n') - 2; i >= 0; --i)
      expected.emplace_back(pairs[i].first, pairs[i].second, UndoOutcome::kMissing);
    ASSERT_THAT(Undo(cut), ElementsAreArray(expected)) << size;
  }
  for (const char* other : {"", "hello\n"}) {
    Write(cut, other);
    EXPECT_FALSE(UndoRenames(*this, cut).read) << "not a journal: " << other;
  }

  // A line that is no rename of its journal's version is told; the rest is
  // undone, in version 1 with no identity to check.
  Write(cut, whole + "x%G1\ty\t1:2:3:4\nx\ty\nx\ty\t1:2:3\nx\ty\t1:2:3:x\nx\ty\t-1:2:3:4\n");
  UndoResult result = UndoRenames(*this, cut);
  EXPECT_EQ(result.unreadable_lines, (std::vector<std::size_t>{5, 6, 7, 8, 9}));
  EXPECT_EQ(result.items.size(), pairs.size());
  Write(Txt(0), "x");
  Write(cut, "miwake rename journal 1\nno tab\n" + Doc(0) + '\t' + Txt(0) + "\nx\ty\t1:2:3:4\n");
  result = UndoRenames(*this, cut);
  EXPECT_EQ(result.unreadable_lines, (std::vector<std::size_t>{2, 4}));
  EXPECT_EQ(result.items.at(0).outcome, UndoOutcome::kRestored);
}

// What the fast ways through a walk must keep: files opened through the
// folder the walk keeps open, and JSON paths written without the library
// when it would write them as they are.
TEST(KeptFolder, OpensListedFilesAndNeverReadsWhatTookTheirPlace) {
  const testing::TempFolder temp;
  const std::string body(3000, 'a');
  temp.Write("plain.txt", body);
  temp.Write("short.txt", "abc");
  temp.Write("piped", "x");
  EnteredFolder folder;
  int error = 0;
  ASSERT_TRUE(MakePlatformFolderLister()->Enter(temp.path(), 0, nullptr, folder, error));
  EXPECT_EQ(folder.entries.size(), 3u);
  const auto& kept = folder.kept;
#ifdef _WIN32
  EXPECT_EQ(kept, nullptr);  // the files are opened by their whole names
#else
  ASSERT_NE(kept, nullptr);
  std::array<std::uint8_t, 2500> block;
  auto file = kept->OpenForClassify("plain.txt");
  ASSERT_TRUE(file && file->Seek(2999));
  EXPECT_EQ(file->Read(block), 1u);
  EXPECT_EQ(file->AtEnd(), true);
  file = kept->OpenForClassify("short.txt");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Read(block), 3u);
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(kept->OpenForClassify("gone.txt"), nullptr);
  // Replaced after the listing: a pipe with no writer must not pass for an
  // empty file, nor a folder for anything.
  std::filesystem::remove(temp.path() + "piped");
  ASSERT_EQ(::mkfifo((temp.path() + "piped").c_str(), 0600), 0);
  std::filesystem::create_directory(temp.path() + "sub");
  for (const char* leaf : {"piped", "sub"}) {
    file = kept->OpenForClassify(leaf);
    EXPECT_TRUE(file == nullptr || !file->Read(block)) << leaf;
  }
#endif
}

TEST(JsonPaths, AreWrittenAsTheLibraryWouldWriteThem) {
  // One after the other, so that a folder's part found plain is used again.
  const std::string names[] = {
      "d/a.txt",       "d/\"q\".txt",    "d/a\\b",   "d/\x01x", "d/\xe3\x81\x82.txt",
      "d/\xe3\x81",    "d\"/a",          "d\"/b",    "\xff/a",  "\xff/b",
      "\xe3\x81/\x82", "\xe3\x81\x82/a", "plain.txt"};
  std::ostringstream out, err;
  {
    const auto report = MakeReport(out, err, {.json = true, .with_names = true});
    for (const std::string& name : names) {
      BatchItem item;
      item.path = name;
      item.code = 1;
      report->File(item, std::nullopt);
    }
  }
  std::istringstream lines(out.str());
  for (const std::string& name : names) {
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    const bool utf8 = IsUtf8(name);
    const std::string text = utf8 ? name : LossyUtf8(name);
    std::string expected = "{\"path\":" + nlohmann::json(text).dump();
    if (!utf8) expected += ",\"path_bytes\":\"" + Base64(name) + '"';
    EXPECT_EQ(line.substr(0, expected.size()), expected) << name;
    EXPECT_EQ(line[expected.size()], ',') << name;
  }
}

}  // namespace
}  // namespace miwake
