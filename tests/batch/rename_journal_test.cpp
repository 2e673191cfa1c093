// The rename journal over real files, with failures planted at each point of
// a fix run: no file may lose its content or its name.
#include "batch/rename_journal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
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
std::vector<Item> Items(const UndoResult& result) {
  EXPECT_TRUE(result.read) << result.error;
  std::vector<Item> items;
  for (const UndoItem& item : result.items)
    items.emplace_back(item.original, item.renamed, item.outcome);
  return items;
}

// The platform's files, with the renames away from chosen names failing.
class FailingRenames final : public FileSystem {
 public:
  bool FileExists(const std::string& name) override { return real_->FileExists(name); }
  bool FolderExists(const std::string& name) override { return real_->FolderExists(name); }
  std::unique_ptr<OpenFile> OpenForClassify(const std::string& name) override {
    return real_->OpenForClassify(name);
  }
  std::unique_ptr<OpenFile> OpenForReading(const std::string& name) override {
    return real_->OpenForReading(name);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    return !failing.contains(from) && real_->Rename(from, to);
  }
  bool Delete(const std::string& name) override { return real_->Delete(name); }
  int LastError() const override { return real_->LastError(); }

  std::set<std::string> failing;

 private:
  std::unique_ptr<FileSystem> real_ = MakePlatformFileSystem();
};

// The real journal, refusing the pairs of chosen names as a full disk would.
class FailingJournal final : public RenameJournal {
 public:
  FailingJournal(std::unique_ptr<RenameJournal> real, std::set<std::string> failing)
      : real_(std::move(real)), failing_(std::move(failing)) {}
  bool Record(const std::string& from, const std::string& to) override {
    return !failing_.contains(from) && real_->Record(from, to);
  }

 private:
  std::unique_ptr<RenameJournal> real_;
  std::set<std::string> failing_;
};

class RenameJournalTest : public ::testing::Test {
 protected:
  std::string Original(int i) { return dir / ("f" + std::to_string(i) + ".doc"); }
  std::string Renamed(int i) { return dir / ("f" + std::to_string(i) + ".txt"); }
  static std::string Content(int i) { return std::string(1000 + i, static_cast<char>('a' + i)); }

  testing::TempFolder dir;
  FailingRenames files;
  const std::string journal_path = dir / "fix.journal";
};

enum class Fault { kTaken, kUnrecorded, kUnrenamed };
using Faults = std::vector<std::pair<int, Fault>>;  // the file, and what its fix meets
constexpr int kFiles = 4;

class FixFaultTest : public RenameJournalTest, public ::testing::WithParamInterface<Faults> {};

TEST_P(FixFaultTest, EveryFileKeepsItsContentAndGetsItsNameBack) {
  std::map<int, Fault> faults(GetParam().begin(), GetParam().end());
  std::set<std::string> unrecorded;
  for (int i = 0; i < kFiles; ++i) {
    Write(Original(i), Content(i));
    if (faults.contains(i) && faults[i] == Fault::kTaken) Write(Renamed(i), "taken");
    if (faults.contains(i) && faults[i] == Fault::kUnrecorded) unrecorded.insert(Original(i));
    if (faults.contains(i) && faults[i] == Fault::kUnrenamed) files.failing.insert(Original(i));
  }
  std::vector<Item> expected;  // newest first
  {
    std::string error;
    FailingJournal journal(CreateRenameJournal(journal_path, error), unrecorded);
    for (int i = 0; i < kFiles; ++i) {
      const FixOutcome outcome = !faults.contains(i)               ? FixOutcome::kRenamed
                                 : faults[i] == Fault::kTaken      ? FixOutcome::kTargetExists
                                 : faults[i] == Fault::kUnrecorded ? FixOutcome::kNotRecorded
                                                                   : FixOutcome::kFailed;
      EXPECT_EQ(FixName(files, journal, Original(i), Renamed(i)), outcome) << i;
      const bool renamed = outcome == FixOutcome::kRenamed;
      EXPECT_EQ(Bytes(renamed ? Renamed(i) : Original(i)), Content(i)) << i;
      EXPECT_NE(files.FileExists(Original(i)), renamed) << i;
      if (renamed || outcome == FixOutcome::kFailed)
        expected.emplace(expected.begin(), Original(i), Renamed(i),
                         renamed ? UndoOutcome::kRestored : UndoOutcome::kAlreadyOriginal);
    }
  }
  files.failing.clear();
  EXPECT_THAT(Items(UndoRenames(files, journal_path)), ElementsAreArray(expected));
  for (auto& item : expected) std::get<UndoOutcome>(item) = UndoOutcome::kAlreadyOriginal;
  EXPECT_THAT(Items(UndoRenames(files, journal_path)), ElementsAreArray(expected)) << "again";
  for (int i = 0; i < kFiles; ++i) {
    EXPECT_EQ(Bytes(Original(i)), Content(i)) << i;
    EXPECT_EQ(files.FileExists(Renamed(i)), faults.contains(i) && faults[i] == Fault::kTaken);
  }
}

std::vector<Faults> EachFaultAtEachFile() {
  std::vector<Faults> all = {{},
                             {{0, Fault::kTaken}, {1, Fault::kUnrecorded}, {2, Fault::kUnrenamed}}};
  for (int i = 0; i < kFiles; ++i)
    for (const Fault fault : {Fault::kTaken, Fault::kUnrecorded, Fault::kUnrenamed})
      all.push_back({{i, fault}});
  return all;
}
INSTANTIATE_TEST_SUITE_P(EachPoint, FixFaultTest, ::testing::ValuesIn(EachFaultAtEachFile()));

TEST_F(RenameJournalTest, UndoGoesNewestFirstAndNeverReplaces) {
  for (int i = 0; i < 5; ++i) Write(Original(i), Content(i));
  {
    std::string error;
    const auto journal = CreateRenameJournal(journal_path, error);
    for (int i = 0; i < 4; ++i)
      ASSERT_EQ(FixName(files, *journal, Original(i), Renamed(i)), FixOutcome::kRenamed);
    // The name that f3 gave up is free for another file in the same run.
    ASSERT_EQ(FixName(files, *journal, Original(4), Original(3)), FixOutcome::kRenamed);
  }
  Write(Original(0), "a new file under the old name");
  files.Delete(Renamed(1));
  files.failing = {Renamed(2)};
  EXPECT_THAT(
      Items(UndoRenames(files, journal_path)),
      ElementsAreArray(std::vector<Item>{{Original(4), Original(3), UndoOutcome::kRestored},
                                         {Original(3), Renamed(3), UndoOutcome::kRestored},
                                         {Original(2), Renamed(2), UndoOutcome::kFailed},
                                         {Original(1), Renamed(1), UndoOutcome::kMissing},
                                         {Original(0), Renamed(0), UndoOutcome::kNameTaken}}));
  EXPECT_EQ(Bytes(Original(0)), "a new file under the old name");
  EXPECT_EQ(Bytes(Renamed(0)), Content(0));
  EXPECT_EQ(Bytes(Renamed(2)), Content(2));
  EXPECT_EQ(Bytes(Original(3)), Content(3));
  EXPECT_EQ(Bytes(Original(4)), Content(4));
}

// Any byte goes through, and a journal cut anywhere (a crash in the middle of
// a write) gives exactly the pairs whose line was complete.
TEST_F(RenameJournalTest, NamesKeepEveryByteAndACutLineIsIgnored) {
  std::string every_byte(256, '\0');
  for (int i = 0; i < 256; ++i) every_byte[i] = static_cast<char>(i);
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {every_byte, "%41%"}, {"a\tb\r\n%25.doc", "\x95\x5C\x83\x5C.txt"}, {"", "%%"}};
  {
    std::string error;
    const auto journal = CreateRenameJournal(journal_path, error);
    for (const auto& [from, to] : pairs) ASSERT_TRUE(journal->Record(from, to));
    EXPECT_FALSE(CreateRenameJournal(journal_path, error));
    EXPECT_FALSE(error.empty()) << "an existing journal is kept";
  }
  const std::string whole = Bytes(journal_path), cut = dir / "cut.journal";
  for (std::size_t size = 0; size <= whole.size(); ++size) {
    Write(cut, whole.substr(0, size));
    const auto lines = std::count(whole.begin(), whole.begin() + size, '\n');
    std::vector<Item> expected;
    for (int i = 0; i + 1 < lines; ++i)
      expected.emplace(expected.begin(), pairs[i].first, pairs[i].second, UndoOutcome::kMissing);
    ASSERT_THAT(Items(UndoRenames(files, cut)), ElementsAreArray(expected)) << size;
  }
  Write(cut, "hello\n");
  EXPECT_FALSE(UndoRenames(files, cut).read);
  EXPECT_FALSE(UndoRenames(files, dir / "none.journal").read);
  EXPECT_TRUE(std::regex_match(DefaultJournalName(), std::regex(R"(miwake-\d{8}-\d{6}\.journal)")));
}

}  // namespace
}  // namespace miwake
