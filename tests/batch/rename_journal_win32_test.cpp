// The Win32 journal file, and a fix and its undo over real files whose code
// page 932 names hold the backslash's byte.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "batch/rename_journal.h"
#include "common/win32_handle.h"
#include "support/temp_folder.h"

namespace miwake {
namespace {

TEST(RenameJournalWin32Test, FixAndUndoKeepDoubleByteNames) {
  const testing::TempFolder dir;
  const auto files = MakePlatformFileSystem();
  const std::string journal_path = dir.path() + "fix.journal", taken = "taken";
  const std::vector<std::string> stems = {"\x95\x5C", "\x83\x5C\x83\x74\x83\x67", taken};
  for (const std::string& stem : stems) dir.Write(stem + ".doc", stem);
  dir.Write(taken + ".txt", "another file");
  {
    std::string error;
    const auto journal = CreateRenameJournal(journal_path, error);
    ASSERT_TRUE(journal) << error;
    EXPECT_FALSE(CreateRenameJournal(journal_path, error)) << "never replaced";
    EXPECT_FALSE(error.empty());
    for (const std::string& stem : stems)
      EXPECT_EQ(FixName(*files, *journal, dir.path() + stem + ".doc", dir.path() + stem + ".txt"),
                stem == taken ? FixOutcome::kTargetExists : FixOutcome::kRenamed);
    EXPECT_TRUE(files->FileExists(dir.path() + stems[0] + ".txt"));
    // Readable while the run goes on, in an editor say.
    EXPECT_TRUE(FileHandle(::CreateFileA(journal_path.c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr)));
  }
  const UndoResult undone = UndoRenames(*files, journal_path);
  ASSERT_TRUE(undone.read) << undone.error;
  ASSERT_EQ(undone.items.size(), 2u);
  EXPECT_EQ(undone.items[0].original, dir.path() + stems[1] + ".doc");
  for (const UndoItem& item : undone.items) EXPECT_EQ(item.outcome, UndoOutcome::kRestored);
  for (const std::string& stem : stems) {
    std::ostringstream bytes;
    bytes << std::ifstream(dir.path() + stem + ".doc", std::ios::binary).rdbuf();
    EXPECT_EQ(bytes.str(), stem);
  }
  EXPECT_TRUE(::DeleteFileA(journal_path.c_str())) << "the journal's handle is closed";
}

}  // namespace
}  // namespace miwake
