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

class StoppedFixTest : public ::testing::TestWithParam<Stop> {
 protected:
  // Bytes the journal must escape, and Shift-JIS whose second byte is '\'.
  std::string Name(int i, const char* ext) {
    return dir.path() + ("n\t%\r\n\x7F\x95\x5C" + std::to_string(i) + ext);
  }
  static std::string Content(int i) { return "file " + std::to_string(i * 7919); }
  std::string Bytes(int i, const char* ext) {
    std::ostringstream bytes;
    bytes << std::ifstream(Name(i, ext), std::ios::binary).rdbuf();
    return bytes.str();
  }

  // The run, in a child process that must not reach the test's own exit.
  [[noreturn]] void Fix(rlim_t room) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit full_room = limit;
    limit.rlim_cur = room;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::string error;
    const auto journal = CreateRenameJournal(journal_path, error);
    for (int i = 0; journal && i < kFiles; ++i) {
      // Room again, yet a journal that lost part of a line must take no more.
      if (FixName(*files, *journal, Name(i, ".doc"), Name(i, ".txt")) == FixOutcome::kNotRecorded)
        ::setrlimit(RLIMIT_FSIZE, &full_room);
    }
    ::_exit(0);
  }

  testing::TempFolder dir;
  const std::string journal_path = dir.path() + "fix.journal";
  std::unique_ptr<FileSystem> files = MakePlatformFileSystem();
};

TEST_P(StoppedFixTest, NoFileLosesItsContentOrItsName) {
  for (int i = 0; i < kFiles; ++i) std::ofstream(Name(i, ".doc"), std::ios::binary) << Content(i);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) Fix(GetParam().journal_room);
  int status = 0;
  if (GetParam().kill_at > 0) {
    // Less than the whole journal, which holds each name escaped, twice.
    const double whole = 2.0 * kFiles * Name(kFiles / 2, ".doc").size();
    struct stat st {};
    while ((::stat(journal_path.c_str(), &st) != 0 || st.st_size < GetParam().kill_at * whole) &&
           ::waitpid(child, &status, WNOHANG) == 0)
      ::usleep(100);
    ::kill(child, SIGKILL);
  }
  ::waitpid(child, &status, 0);
  EXPECT_EQ(WIFSIGNALED(status), GetParam().kill_at > 0) << "killed before its end";

  int renamed = 0;
  while (renamed < kFiles && files->FileExists(Name(renamed, ".txt"))) ++renamed;
  for (int i = 0; i < kFiles; ++i) {
    const bool moved = i < renamed;  // in order, and none after a failed record
    EXPECT_EQ(files->FileExists(Name(i, ".doc")), !moved) << i;
    ASSERT_EQ(Bytes(i, moved ? ".txt" : ".doc"), Content(i)) << i;
  }
  const UndoResult undone = UndoRenames(*files, journal_path);
  EXPECT_TRUE(undone.read || renamed == 0) << undone.error;
  EXPECT_EQ(std::count_if(undone.items.begin(), undone.items.end(),
                          [](const auto& item) { return item.outcome == UndoOutcome::kRestored; }),
            renamed);
  for (int i = 0; i < kFiles; ++i) ASSERT_EQ(Bytes(i, ".doc") + Bytes(i, ".txt"), Content(i)) << i;
}

INSTANTIATE_TEST_SUITE_P(Moments, StoppedFixTest,
                         ::testing::Values(Stop{"KilledAtOnce", 1e-9, RLIM_INFINITY},
                                           Stop{"KilledEarly", 0.05, RLIM_INFINITY},
                                           Stop{"KilledHalfway", 0.4, RLIM_INFINITY},
                                           Stop{"FullAtTheHeader", 0, 10},
                                           Stop{"FullInTheFirstLine", 0, 100},
                                           Stop{"FullAfterSomeLines", 0, 5000}),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace miwake
