// Speed of `miwake -r` over a whole folder tree, with the type database and
// without it, against libmagic over the same files and against a bare walk
// that reads each file's first block, with 1 and 2 threads, all measured in
// the same run.
#include <dirent.h>
#include <fcntl.h>
#include <magic.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "common/unique_fd_posix.h"
#include "corpus.h"
#include "tree.h"

extern char** environ;

namespace miwake::bench {
namespace {

constexpr std::size_t kFirstBlock = 2500;
constexpr std::array<int, 2> kThreadCounts{1, 2};
constexpr double kRateTarget = 100.0;  // miwake rate / libmagic rate, at least
constexpr double kFloorTarget = 1.3;   // miwake time / floor time, at most

[[noreturn]] void ThrowErrno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

struct Options {
  std::string cache = "build/bench-tree";
  std::size_t files = 50000;
  std::string miwake = MIWAKE_TOOL_PATH;
  int repetitions = 3;
  std::string test_data = MIWAKE_TEST_DATA_DIR;
};

// ---- Running miwake ----

struct Output {
  std::size_t lines = 0;
  std::string text;  // kept only when asked for
};

// Runs the program with its stdout into a pipe that is read to the end;
// throws when it cannot be started or ends other than with status 0.
Output RunProgram(const std::vector<std::string>& args, bool keep, char** env = environ) {
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) ThrowErrno("pipe");
  UniqueFd read_end(pipe_fds[0]);
  UniqueFd write_end(pipe_fds[1]);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, write_end.get(), STDOUT_FILENO);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::system_error(spawned, std::generic_category(), "run " + args[0]);
  write_end = UniqueFd();

  Output out;
  std::array<char, 64 * 1024> buffer;
  for (;;) {
    const ssize_t got = ::read(read_end.get(), buffer.data(), buffer.size());
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowErrno("read the output of " + args[0]);
    }
    out.lines += static_cast<std::size_t>(std::count(buffer.data(), buffer.data() + got, '\n'));
    if (keep) out.text.append(buffer.data(), static_cast<std::size_t>(got));
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) ThrowErrno("wait for " + args[0]);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error(args[0] + " ended with status " + std::to_string(status));
  return out;
}

Output RunMiwake(const Options& options, const std::string& root, int threads, bool keep,
                 char** env = environ) {
  return RunProgram({options.miwake, "-r", "--json", "--jobs", std::to_string(threads), root}, keep,
                    env);
}

// This process's environment but for the two variables where miwake looks
// for the type database, which name an empty folder: it then neither loads
// nor matches magic rules.
class NoTypesEnvironment {
 public:
  explicit NoTypesEnvironment(const std::string& empty_folder) {
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string_view v = *e;
      if (!v.starts_with("XDG_DATA_HOME=") && !v.starts_with("XDG_DATA_DIRS="))
        strings_.emplace_back(v);
    }
    strings_.push_back("XDG_DATA_HOME=" + empty_folder);
    strings_.push_back("XDG_DATA_DIRS=" + empty_folder);
    for (std::string& s : strings_) pointers_.push_back(s.data());
    pointers_.push_back(nullptr);
  }
  char** get() { return pointers_.data(); }

 private:
  std::vector<std::string> strings_;
  std::vector<char*> pointers_;
};

// ---- Checking miwake's answers against what the generator made ----

// Every file once, none unreadable; a kind other than the one made is only
// reported, as the generator's guess and not the classifier's fault.
bool CheckAnswers(const Output& output, const Tree& tree) {
  std::unordered_map<std::string, const TreeFile*> made;
  for (const TreeFile& f : tree.files) made.emplace(tree.root + "/" + f.path, &f);
  std::unordered_map<std::string, int> seen;
  std::map<std::string, std::map<std::pair<int, int>, int>> surprises;
  std::size_t unknown = 0, repeated = 0, unreadable = 0, malformed = 0;
  std::string_view rest = output.text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    const auto answer = nlohmann::json::parse(line, nullptr, false);
    if (answer.is_discarded() || !answer.contains("path") || !answer["path"].is_string() ||
        !answer.contains("code") || !answer["code"].is_number_integer()) {
      ++malformed;
      continue;
    }
    const std::string path = answer["path"];
    const int code = answer["code"];
    const auto it = made.find(path);
    if (it == made.end()) {
      ++unknown;
      continue;
    }
    if (++seen[path] > 1) ++repeated;
    if (code < 0) ++unreadable;
    if (code != it->second->expected_kind)
      ++surprises[it->second->family][{it->second->expected_kind, code}];
  }
  for (const auto& [family, counts] : surprises)
    for (const auto& [kinds, n] : counts)
      std::fprintf(stderr, "note: %d %s file(s) made as %d were given %d\n", n, family.c_str(),
                   kinds.first, kinds.second);
  const std::size_t missing = made.size() - seen.size();
  if (malformed + unknown + repeated + unreadable + missing == 0) return true;
  std::fprintf(stderr,
               "miwake's answers do not cover the tree: %zu lines unreadable as JSON, %zu "
               "unknown paths, %zu repeated, %zu files missing, %zu given -1\n",
               malformed, unknown, repeated, missing, unreadable);
  return false;
}

// ---- libmagic ----

struct MagicClose {
  void operator()(magic_t cookie) const { magic_close(cookie); }
};
using MagicCookie = std::unique_ptr<std::remove_pointer_t<magic_t>, MagicClose>;

MagicCookie LoadMagic() {
  MagicCookie cookie(magic_open(MAGIC_NONE));
  if (!cookie || magic_load(cookie.get(), nullptr) != 0)
    throw std::runtime_error(std::string("libmagic: ") +
                             (cookie ? magic_error(cookie.get()) : "magic_open failed"));
  return cookie;
}

// Threads take the next files from a shared counter, a few at a time.
template <typename Work>
void ForEachFileInThreads(std::size_t count, int threads, Work work) {
  constexpr std::size_t kGrab = 32;
  std::atomic<std::size_t> next{0};
  std::vector<std::jthread> workers;
  for (int t = 0; t < threads; ++t)
    workers.emplace_back([&, t] {
      for (std::size_t begin; (begin = next.fetch_add(kGrab)) < count;)
        for (std::size_t i = begin; i < std::min(begin + kGrab, count); ++i) work(t, i);
    });
}

std::size_t RunMagic(const std::vector<std::string>& files, std::vector<MagicCookie>& cookies,
                     int threads) {
  std::atomic<std::size_t> failed{0};
  ForEachFileInThreads(files.size(), threads, [&](int t, std::size_t i) {
    if (magic_file(cookies[static_cast<std::size_t>(t)].get(), files[i].c_str()) == nullptr)
      ++failed;
  });
  return failed;
}

// ---- The floor: a walk that opens each file, reads its first block, closes it ----

// Folders waiting to be walked; the walk is over when none waits and no
// thread is still listing one, as that could add more.
class FolderQueue {
 public:
  explicit FolderQueue(std::string root) { waiting_.push_back(std::move(root)); }

  std::optional<std::string> Take() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !waiting_.empty() || busy_ == 0; });
    if (waiting_.empty()) return std::nullopt;
    ++busy_;
    std::string folder = std::move(waiting_.back());
    waiting_.pop_back();
    return folder;
  }

  void Finish(std::vector<std::string>& found) {
    {
      const std::lock_guard lock(mutex_);
      for (std::string& f : found) waiting_.push_back(std::move(f));
      --busy_;
    }
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> waiting_;
  int busy_ = 0;
};

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

std::size_t RunFloor(const std::string& root, int threads) {
  FolderQueue queue(root);
  std::atomic<std::size_t> done{0};
  std::atomic<bool> failed{false};
  {
    std::vector<std::jthread> workers;
    for (int t = 0; t < threads; ++t)
      workers.emplace_back([&] {
        std::array<std::uint8_t, kFirstBlock> block;
        std::vector<std::string> folders;
        std::vector<std::string> files;
        std::size_t mine = 0;
        while (const auto folder = queue.Take()) {
          folders.clear();
          files.clear();
          UniqueDir dir(::opendir(folder->c_str()));
          if (!dir) failed = true;
          while (dir) {
            const dirent* entry = ::readdir(dir.get());
            if (entry == nullptr) break;
            const std::string_view name = entry->d_name;
            if (name == "." || name == "..") continue;
            unsigned char type = entry->d_type;
            if (type == DT_UNKNOWN) {
              struct stat st {};
              if (::fstatat(::dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
            }
            if (type == DT_DIR) folders.push_back(*folder + "/" + entry->d_name);
            if (type == DT_REG) files.emplace_back(name);
          }
          // Subfolders first, so that the other threads have work sooner.
          queue.Finish(folders);
          for (const std::string& name : files) {
            UniqueFd fd(::openat(::dirfd(dir.get()), name.c_str(), O_RDONLY | O_CLOEXEC));
            if (!fd || ::read(fd.get(), block.data(), block.size()) < 0) failed = true;
            ++mine;
          }
        }
        done += mine;
      });
  }
  if (failed) throw std::runtime_error("the floor's walk could not read the tree");
  return done;
}

// ---- Measuring ----

struct Timing {
  double wall;
  double cpu;  // user and system, of this process and the programs it ran
};

double CpuSeconds() {
  double total = 0;
  for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage usage{};
    ::getrusage(who, &usage);
    for (const timeval& tv : {usage.ru_utime, usage.ru_stime})
      total += static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
  }
  return total;
}

Timing Time(const std::function<void()>& run) {
  const double cpu = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  run();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
          CpuSeconds() - cpu};
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t m = v.size() / 2;
  return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

struct Measure {
  const char* label;
  std::function<void(int threads)> run;
  std::map<int, std::vector<double>> seconds;
  std::map<int, std::vector<double>> cpu;
};

Options ParseOptions(int argc, char** argv) {
  Options o;
  CLI::App app(
      "Speed of miwake -r --json --jobs N over a folder tree, against libmagic and a\n"
      "bare walk, in the same run.",
      "miwake_tree_bench");
  app.add_option("--cache", o.cache, "where the tree is kept")->capture_default_str();
  app.add_option("--files", o.files, "files in the tree")
      ->check(CLI::PositiveNumber)
      ->capture_default_str();
  app.add_option("--repetitions", o.repetitions,
                 "timed runs of each measurement; the median counts")
      ->check(CLI::Range(1, 100))
      ->capture_default_str();
  app.add_option("--miwake", o.miwake, "the miwake program to measure")->capture_default_str();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    std::exit(app.exit(e));
  }
  return o;
}

void PrintReport(const Listing& listing, const std::vector<Measure>& measures, int repetitions) {
  constexpr double kMiB = 1024.0 * 1024.0;
  const double n = static_cast<double>(listing.files.size());
  auto median = [&](const Measure& m, int threads) { return Median(m.seconds.at(threads)); };
  const Measure& miwake = measures[0];
  const Measure& untyped = measures[1];
  const Measure& magic = measures[2];
  const Measure& floor = measures[3];

  std::printf("\nTree: %zu files, %llu bytes (%.1f MiB), %zu folders\n", listing.files.size(),
              static_cast<unsigned long long>(listing.bytes),
              static_cast<double>(listing.bytes) / kMiB, listing.folders);
  std::printf("Median wall time of %d runs each, warm page cache\n\n", repetitions);
  std::printf("  %-36s %24s %24s %10s\n", "", "1 thread", "2 threads", "2 vs 1");
  for (const Measure& m : measures) {
    std::printf("  %-36s", m.label);
    for (const int t : kThreadCounts)
      std::printf(" %10.0f files/s %6.3f s", n / median(m, t), median(m, t));
    std::printf(" %9.2fx\n", median(m, 1) / median(m, 2));
  }
  std::printf("\n");
  // A row without a relation is only shown.
  auto ratio_row = [&](const char* label, auto ratio, const char* relation = nullptr,
                       double target = 0) {
    std::printf("  %-36s", label);
    const bool at_least = relation != nullptr && std::string_view(relation) == ">=";
    for (const int t : kThreadCounts) {
      const double r = ratio(t);
      const bool ok = at_least ? r >= target : r <= target;
      std::printf(" %12.2f %-11s", r, relation == nullptr ? "" : ok ? "ok" : "MISSED");
    }
    std::printf(" %9.2fx", ratio(2) / ratio(1));
    if (relation != nullptr) std::printf("   target %s %g", relation, target);
    std::printf("\n");
  };
  auto wall = [&](const Measure& a, const Measure& b) {
    return [&](int t) { return median(a, t) / median(b, t); };
  };
  auto cpu = [&](const Measure& a, const Measure& b) {
    return [&](int t) { return Median(a.cpu.at(t)) / Median(b.cpu.at(t)); };
  };
  ratio_row("miwake rate / libmagic rate", wall(magic, miwake), ">=", kRateTarget);
  ratio_row("  the same by CPU time", cpu(magic, miwake), ">=", kRateTarget);
  ratio_row("miwake time / floor time", wall(miwake, floor), "<=", kFloorTarget);
  ratio_row("  the same by CPU time", cpu(miwake, floor), "<=", kFloorTarget);
  ratio_row("  without types", wall(untyped, floor));
  ratio_row("  without types, by CPU time", cpu(untyped, floor));
  // On a shared machine the wall times swing with the others' load; the CPU
  // time it took shows whether a change of ratio is the program's.
  std::printf("\n  %-36s %24s %24s\n", "Fastest .. slowest run; CPU time", "1 thread", "2 threads");
  for (const Measure& m : measures) {
    std::printf("  %-36s", m.label);
    for (const int t : kThreadCounts) {
      const auto [lo, hi] = std::minmax_element(m.seconds.at(t).begin(), m.seconds.at(t).end());
      std::printf(" %6.3f..%6.3f; %6.3f s", *lo, *hi, Median(m.cpu.at(t)));
    }
    std::printf("\n");
  }
}

int Run(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  const Tree tree = EnsureTree({options.cache, options.files, options.test_data});
  const Listing listing = ListTree(tree.root);
  const std::size_t file_count = listing.files.size();

  std::printf("miwake: %s -r --json --jobs N %s\n", options.miwake.c_str(), tree.root.c_str());
  std::vector<MagicCookie> cookies;
  for (int t = 0; t < kThreadCounts.back(); ++t) cookies.push_back(LoadMagic());

  // Whole files into the page cache: the name search reads some to the end.
  std::fprintf(stderr, "Warming up ...\n");
  for (const std::string& f : listing.files)
    if (!ReadWholeFile(f)) throw std::runtime_error("cannot read " + f);

  const std::filesystem::path empty = std::filesystem::path(options.cache) / "no-types";
  std::filesystem::remove_all(empty);
  std::filesystem::create_directories(empty);
  NoTypesEnvironment no_types(empty.string());

  std::vector<Measure> measures{
      {"miwake -r --json",
       [&](int t) {
         if (RunMiwake(options, tree.root, t, false).lines != file_count)
           throw std::runtime_error("miwake printed another number of lines than files");
       },
       {},
       {}},
      {"miwake -r --json, no types",
       [&](int t) {
         if (RunMiwake(options, tree.root, t, false, no_types.get()).lines != file_count)
           throw std::runtime_error("miwake printed another number of lines than files");
       },
       {},
       {}},
      {"libmagic magic_file",
       [&](int t) {
         if (RunMagic(listing.files, cookies, t) != 0)
           throw std::runtime_error("libmagic failed on some files");
       },
       {},
       {}},
      {"floor: walk, open, read 2500, close",
       [&](int t) {
         if (RunFloor(tree.root, t) != file_count)
           throw std::runtime_error("the floor's walk found another number of files");
       },
       {},
       {}},
  };
  // The untimed pass: every answer checked once, with every thread count.
  for (const int t : kThreadCounts)
    if (!CheckAnswers(RunMiwake(options, tree.root, t, true), tree)) return 1;
  for (std::size_t m = 1; m < measures.size(); ++m) measures[m].run(kThreadCounts.back());

  // Rounds that rotate the order, so that the load of other processes on
  // this shared machine falls on every measurement alike.
  for (int r = 0; r < options.repetitions; ++r) {
    std::fprintf(stderr, "Round %d of %d\n", r + 1, options.repetitions);
    for (std::size_t k = 0; k < measures.size(); ++k) {
      Measure& m = measures[(k + static_cast<std::size_t>(r)) % measures.size()];
      for (const int t : kThreadCounts) {
        const Timing timing = Time([&] { m.run(t); });
        m.seconds[t].push_back(timing.wall);
        m.cpu[t].push_back(timing.cpu);
      }
    }
  }
  PrintReport(listing, measures, options.repetitions);
  return 0;
}

}  // namespace
}  // namespace miwake::bench

int main(int argc, char** argv) {
  try {
    return miwake::bench::Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "miwake_tree_bench: %s\n", e.what());
    return 1;
  }
}
