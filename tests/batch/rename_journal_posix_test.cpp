// A fix run over real files stopped from outside: killed at several moments,
// or out of room for its journal. Afterwards every file has its content under
// one of its two names, and undo gives back every original name.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "batch/rename_journal.h"
#include "support/temp_folder.h"

namespace miwake {
namespace {

constexpr int kFiles = 2000;

struct Stop {
  const char* what;
  double kill_at;       // share of the journal written when the run is killed; 0: not killed
  rlim_t journal_room;  // bytes the run may write, as on a full disk
};

void PrintTo(const Stop& stop, std::ostream* out) {
  *out << stop.what;
}

class StoppedFixTest : public ::testing::TestWithParam<Stop> {
 protected:
  // Bytes the journal must escape, and Shift-JIS whose second byte is '\'.
  std::string Name(int i, const char* ext) {
    return dir / ("n\t%\r\n\x7F\x95\x5C" + std::to_string(i) + ext);
  }
  static std::string Content(int i) { return "file " + std::to_string(i * 7919); }
  std::string Bytes(const std::string& name) {
    std::ostringstream bytes;
    bytes << std::ifstream(name, std::ios::binary).rdbuf();
    return bytes.str();
  }
  off_t JournalSize() {
    struct stat st {};
    return ::stat(journal_path.c_str(), &st) == 0 ? st.st_size : 0;
  }

  // The run in a child process, which must leave without the test's own exit path.
  [[noreturn]] void Fix(rlim_t room) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlim_t unlimited = limit.rlim_cur;
    limit.rlim_cur = room;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::string error;
    const auto journal = CreateRenameJournal(journal_path, error);
    if (!journal) ::_exit(1);
    for (int i = 0; i < kFiles; ++i) {
      if (FixName(*files, *journal, Name(i, ".doc"), Name(i, ".txt")) == FixOutcome::kNotRecorded) {
        // Room again, yet the journal that lost part of a line must take no more.
        limit.rlim_cur = unlimited;
        ::setrlimit(RLIMIT_FSIZE, &limit);
      }
    }
    ::_exit(0);
  }

  testing::TempFolder dir;
  const std::string journal_path = dir / "fix.journal";
  std::unique_ptr<FileSystem> files = MakePlatformFileSystem();
};

TEST_P(StoppedFixTest, NoFileLosesItsContentOrItsName) {
  const Stop& stop = GetParam();
  for (int i = 0; i < kFiles; ++i) std::ofstream(Name(i, ".doc"), std::ios::binary) << Content(i);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) Fix(stop.journal_room);
  int status = 0;
  if (stop.kill_at > 0) {
    // Less than the whole journal, which holds each name escaped, twice.
    const double whole = 2.0 * kFiles * Name(kFiles / 2, ".doc").size();
    while (JournalSize() < stop.kill_at * whole && ::waitpid(child, &status, WNOHANG) == 0)
      ::usleep(100);
    ::kill(child, SIGKILL);
  }
  ::waitpid(child, &status, 0);

  int renamed = 0;
  while (renamed < kFiles && files->FileExists(Name(renamed, ".txt"))) ++renamed;
  if (stop.kill_at > 0) {
    EXPECT_TRUE(WIFSIGNALED(status)) << "killed before its end";
  }
  for (int i = 0; i < kFiles; ++i) {
    const bool moved = i < renamed;  // in order, and none after a failed record
    EXPECT_EQ(files->FileExists(Name(i, ".doc")), !moved) << i;
    ASSERT_EQ(Bytes(Name(i, moved ? ".txt" : ".doc")), Content(i)) << i;
  }

  const UndoResult undone = UndoRenames(*files, journal_path);
  EXPECT_TRUE(undone.read || renamed == 0) << undone.error;
  EXPECT_EQ(
      std::count_if(undone.items.begin(), undone.items.end(),
                    [](const UndoItem& item) { return item.outcome == UndoOutcome::kRestored; }),
      renamed);
  for (int i = 0; i < kFiles; ++i) {
    EXPECT_FALSE(files->FileExists(Name(i, ".txt"))) << i;
    ASSERT_EQ(Bytes(Name(i, ".doc")), Content(i)) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Moments, StoppedFixTest,
                         ::testing::Values(Stop{"KilledAtOnce", 1e-9, RLIM_INFINITY},
                                           Stop{"KilledEarly", 0.05, RLIM_INFINITY},
                                           Stop{"KilledHalfway", 0.4, RLIM_INFINITY},
                                           Stop{"KilledLate", 0.8, RLIM_INFINITY},
                                           Stop{"FullAtTheHeader", 0, 10},
                                           Stop{"FullInTheFirstLine", 0, 100},
                                           Stop{"FullAfterSomeLines", 0, 5000}),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace miwake
