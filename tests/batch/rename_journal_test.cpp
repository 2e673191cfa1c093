// The rename journal over real files (under Wine: the Win32 ones), with a
// failure planted at each point of a fix run: no file may lose its content or
// its name. Names hold the backslash's byte as the second of a Shift-JIS pair.
#include "batch/rename_journal.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <tuple>

#include "support/temp_folder.h"

namespace miwake {
namespace {

using ::testing::ElementsAreArray;
using Item = std::tuple<std::string, std::string, UndoOutcome>;

std::string Bytes(const std::string& name) {
  std::ostringstream bytes;
  bytes << std::ifstream(name, std::ios::binary).rdbuf();
  return bytes.str();
}
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
  int LastError() const override { return real_->LastError(); }
  bool Record(const std::string& from, const std::string& to) override {
    return !unrecorded.contains(from) && journal_->Record(from, to);
  }

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
  std::set<std::string> unrenamed, unrecorded;
  std::string error;
  std::unique_ptr<RenameJournal> journal_ = CreateRenameJournal(journal_path, error);

 private:
  std::unique_ptr<FileSystem> real_ = MakePlatformFileSystem();
};

// One letter per file: '.' no fault, 'T' target taken, 'U' unrecorded, 'R' rename refused.
class FixFaultTest : public JournalTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(FixFaultTest, EveryFileKeepsItsContentAndGetsItsNameBack) {
  const std::string faults = GetParam();
  for (int i = 0; i < 4; ++i) {
    Write(Doc(i), Content(i));
    if (faults[i] == 'T') Write(Txt(i), "taken");
    if (faults[i] == 'U') unrecorded.insert(Doc(i));
    if (faults[i] == 'R') unrenamed.insert(Doc(i));
  }
  std::vector<Item> expected;  // newest first
  for (int i = 0; i < 4; ++i) {
    const FixOutcome outcome = FixName(*this, *this, Doc(i), Txt(i));
    EXPECT_EQ(outcome,
              (std::array{FixOutcome::kRenamed, FixOutcome::kTargetExists, FixOutcome::kNotRecorded,
                          FixOutcome::kFailed}[std::string(".TUR").find(faults[i])]));
    const bool renamed = outcome == FixOutcome::kRenamed;
    EXPECT_EQ(Bytes(renamed ? Txt(i) : Doc(i)), Content(i)) << i;
    EXPECT_NE(FileExists(Doc(i)), renamed) << i;
    if (renamed || outcome == FixOutcome::kFailed)
      expected.emplace(expected.begin(), Doc(i), Txt(i),
                       renamed ? UndoOutcome::kRestored : UndoOutcome::kAlreadyOriginal);
  }
  unrenamed.clear();
  EXPECT_THAT(Undo(journal_path), ElementsAreArray(expected));
  for (auto& item : expected) std::get<UndoOutcome>(item) = UndoOutcome::kAlreadyOriginal;
  EXPECT_THAT(Undo(journal_path), ElementsAreArray(expected)) << "a second undo changes nothing";
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Bytes(Doc(i)), Content(i)) << i;
    EXPECT_EQ(Bytes(Txt(i)), faults[i] == 'T' ? "taken" : "") << i;
  }
}

// Each fault at each file, and after and before sound ones.
INSTANTIATE_TEST_SUITE_P(EachPoint, FixFaultTest,
                         ::testing::Values("....", "TUR.", ".TUR", "R.TU", "UR.T", "..U."));

TEST_F(JournalTest, UndoGoesNewestFirstAndNeverReplaces) {
  for (int i = 0; i < 5; ++i) Write(Doc(i), Content(i));
  for (int i = 0; i < 4; ++i)
    ASSERT_EQ(FixName(*this, *this, Doc(i), Txt(i)), FixOutcome::kRenamed);
  // The name that f3 gave up is free for another file of the same run.
  ASSERT_EQ(FixName(*this, *this, Doc(4), Doc(3)), FixOutcome::kRenamed);
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

// Any byte goes through; a journal cut anywhere (a crash in the middle of a
// write) gives exactly the pairs whose line is complete, and a damaged line
// is passed over.
TEST_F(JournalTest, NamesKeepEveryByteAndCutOrDamagedLinesAreIgnored) {
  std::string every_byte(256, '\0');
  for (int i = 0; i < 256; ++i) every_byte[i] = static_cast<char>(i);
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {every_byte, "%41%"}, {"a\tb\r\n%25.doc", "\x95\x5C\x83\x5C.txt"}, {"", "%%"}};
  for (const auto& [from, to] : pairs) ASSERT_TRUE(Record(from, to));
  // Readable while the run goes on, in an editor say.
  const std::string whole = Bytes(journal_path), cut = dir.path() + "cut.journal";
  journal_.reset();
  EXPECT_TRUE(std::filesystem::remove(journal_path)) << "the journal is closed";
  EXPECT_NE(whole.find("\na%09b%0D%0A%2525.doc\t\x95\x5C\x83\x5C.txt\n"), std::string::npos)
      << "readable: only control bytes and '%' are escaped";
  for (std::size_t size = 0; size <= whole.size(); ++size) {
    Write(cut, whole.substr(0, size));
    std::vector<Item> expected;
    for (auto i = std::count(whole.begin(), whole.begin() + size, '\n') - 2; i >= 0; --i)
      expected.emplace_back(pairs[i].first, pairs[i].second, UndoOutcome::kMissing);
    ASSERT_THAT(Undo(cut), ElementsAreArray(expected)) << size;
  }
  Write(cut, whole + "x%G1\ty\nx\ty%1G\nno tab\n");
  EXPECT_EQ(Undo(cut).size(), pairs.size()) << "damaged lines are passed over";
  Write(cut, "hello\n");
  EXPECT_FALSE(UndoRenames(*this, cut).read);
  EXPECT_FALSE(UndoRenames(*this, dir.path() + "none.journal").read);
  EXPECT_TRUE(std::regex_match(DefaultJournalName(), std::regex(R"(miwake-\d{8}-\d{6}\.journal)")));
}

}  // namespace
}  // namespace miwake
