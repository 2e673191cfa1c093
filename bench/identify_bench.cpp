// Speed of IdentifyFile against libmagic and against bare reads of the same
// files, with the ratios that matter printed after Google Benchmark's table.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <magic.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "common/unique_fd_posix.h"
#include "corpus.h"
#include "identify/classifier.h"

namespace miwake::bench {
namespace {

constexpr int kDefaultSmallFiles = 3000;
constexpr std::uint64_t kDefaultLargeMiB = 256;
constexpr std::size_t kClassifierBlock = 2500;
constexpr int kPowerPointKind = 54;
// What `cat` and `cp` use. The copy out of the page cache is fastest into a
// buffer that stays in the core's cache (1 MiB was ~10% slower here), so the
// baseline is the quickest plain read rather than one that flatters the search.
constexpr std::size_t kPlainReadBuffer = 128 * 1024;

constexpr const char* kIdentifySmall = "IdentifyFile/small_files";
constexpr const char* kMagicSmall = "libmagic_magic_file/small_files";
constexpr const char* kBareSmall = "open_read2500_close/small_files";
constexpr const char* kIdentifyLarge = "IdentifyFile/name_search_large_compound";
constexpr const char* kPlainLarge = "plain_read_128KiB/large_compound";

struct MagicClose {
  void operator()(magic_t cookie) const { magic_close(cookie); }
};
using MagicCookie = std::unique_ptr<std::remove_pointer_t<magic_t>, MagicClose>;

struct Setup {
  std::vector<CorpusFile> small;
  std::uint64_t small_bytes = 0;
  std::string large;
  std::uint64_t large_size = 0;
  magic_t magic = nullptr;
};

// One classifier with the platform's files, as the tool would set it up;
// every call opens and reads the file.
class FreshClassifier {
 public:
  int operator()(const std::string& name) {
    return classifier_.Classify(files_->OpenForClassify(name), name);
  }

 private:
  std::unique_ptr<FileSystem> files_ = MakePlatformFileSystem();
  KeepExecutableCode refiner_;
  Classifier classifier_{refiner_};
};

void IdentifySmallFiles(benchmark::State& state, const Setup& setup) {
  FreshClassifier identify;
  for (auto _ : state) {
    for (const CorpusFile& file : setup.small) benchmark::DoNotOptimize(identify(file.path));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(setup.small.size()));
}

void MagicSmallFiles(benchmark::State& state, const Setup& setup) {
  for (auto _ : state) {
    for (const CorpusFile& file : setup.small) {
      const char* description = magic_file(setup.magic, file.path.c_str());
      if (description == nullptr) {
        const char* error = magic_error(setup.magic);
        state.SkipWithError(error != nullptr ? error : "magic_file failed");
        return;
      }
      benchmark::DoNotOptimize(description);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(setup.small.size()));
}

void BareReadSmallFiles(benchmark::State& state, const Setup& setup) {
  std::array<std::uint8_t, kClassifierBlock> block;
  for (auto _ : state) {
    for (const CorpusFile& file : setup.small) {
      UniqueFd fd(::open(file.path.c_str(), O_RDONLY | O_CLOEXEC));
      if (!fd) {
        state.SkipWithError("open failed");
        return;
      }
      benchmark::DoNotOptimize(::read(fd.get(), block.data(), block.size()));
      benchmark::ClobberMemory();
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(setup.small.size()));
}

void IdentifyLargeCompound(benchmark::State& state, const Setup& setup) {
  FreshClassifier identify;
  for (auto _ : state) {
    const int kind = identify(setup.large);
    if (kind != kPowerPointKind) {
      state.SkipWithError(("IdentifyFile gave " + std::to_string(kind) + ", not 54").c_str());
      return;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(setup.large_size));
}

void PlainReadLargeCompound(benchmark::State& state, const Setup& setup) {
  std::vector<std::uint8_t> buffer(kPlainReadBuffer);
  for (auto _ : state) {
    UniqueFd fd(::open(setup.large.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
      state.SkipWithError("open failed");
      return;
    }
    std::uint64_t total = 0;
    for (;;) {
      const ssize_t got = ::read(fd.get(), buffer.data(), buffer.size());
      if (got > 0) {
        total += static_cast<std::uint64_t>(got);
      } else if (got == 0) {
        break;
      } else if (errno != EINTR) {
        state.SkipWithError("read failed");
        return;
      }
    }
    benchmark::DoNotOptimize(total);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(setup.large_size));
}

// Passes everything to the usual display reporter and keeps the timings, so
// the ratios come from the very runs in the table.
class CollectingReporter final : public benchmark::BenchmarkReporter {
 public:
  explicit CollectingReporter(benchmark::BenchmarkReporter& display) : display_(display) {}

  bool ReportContext(const Context& context) override { return display_.ReportContext(context); }

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      Timings& t = timings_[run.run_name.function_name];
      if (run.error_occurred) {
        t.error = run.error_message;
      } else if (run.run_type == Run::RT_Aggregate) {
        if (run.aggregate_name == "median" && run.aggregate_unit == benchmark::kTime)
          t.median = Seconds(run);
      } else if (run.iterations > 0) {
        t.seconds.push_back(Seconds(run));
      }
    }
    display_.ReportRuns(runs);
  }

  void Finalize() override { display_.Finalize(); }

  // The median CPU time of one iteration over all repetitions.
  std::optional<double> SecondsPerIteration(const std::string& name) const {
    const auto it = timings_.find(name);
    if (it == timings_.end() || it->second.error) return std::nullopt;
    if (it->second.median) return it->second.median;
    std::vector<double> s = it->second.seconds;
    if (s.empty()) return std::nullopt;
    std::sort(s.begin(), s.end());
    const std::size_t m = s.size() / 2;
    return s.size() % 2 ? s[m] : (s[m - 1] + s[m]) / 2;
  }

  bool AnyError() const {
    return std::any_of(timings_.begin(), timings_.end(),
                       [](const auto& entry) { return entry.second.error.has_value(); });
  }

 private:
  struct Timings {
    std::vector<double> seconds;
    std::optional<double> median;
    std::optional<std::string> error;
  };
  static double Seconds(const Run& run) {
    return run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
  }
  benchmark::BenchmarkReporter& display_;
  std::map<std::string, Timings> timings_;
};

std::optional<double> Rate(const CollectingReporter& r, const char* name, double work) {
  const auto seconds = r.SecondsPerIteration(name);
  if (!seconds || *seconds <= 0) return std::nullopt;
  return work / *seconds;
}

void PrintRate(const char* label, std::optional<double> rate, const char* unit) {
  if (rate)
    std::printf("  %-50s %12.0f %s\n", label, *rate, unit);
  else
    std::printf("  %-50s %12s\n", label, "not measured");
}

void PrintRatio(const char* label, std::optional<double> ratio, const char* relation,
                double target) {
  if (!ratio) {
    std::printf("  %-50s %12s   target %s %.2f\n", label, "not measured", relation, target);
    return;
  }
  const bool ok = std::string_view(relation) == ">=" ? *ratio >= target : *ratio <= target;
  std::printf("  %-50s %12.2f   target %s %.2f   %s\n", label, *ratio, relation, target,
              ok ? "ok" : "BELOW TARGET");
}

void PrintSummary(const CollectingReporter& r, const Setup& setup) {
  constexpr double kMiB = 1024.0 * 1024.0;
  const double n = static_cast<double>(setup.small.size());
  const auto identify = Rate(r, kIdentifySmall, n);
  const auto magic = Rate(r, kMagicSmall, n);
  const auto bare = Rate(r, kBareSmall, n);
  const auto search = Rate(r, kIdentifyLarge, static_cast<double>(setup.large_size) / kMiB);
  const auto plain = Rate(r, kPlainLarge, static_cast<double>(setup.large_size) / kMiB);
  auto divide = [](std::optional<double> a, std::optional<double> b) -> std::optional<double> {
    if (!a || !b || *b == 0) return std::nullopt;
    return *a / *b;
  };

  std::printf("\nSummary (median CPU time per iteration, measured in this run)\n");
  std::printf("Small files: %zu files, %.1f MiB in total\n", setup.small.size(),
              static_cast<double>(setup.small_bytes) / kMiB);
  PrintRate("IdentifyFile", identify, "files/s");
  PrintRate("libmagic magic_file (MAGIC_NONE)", magic, "files/s");
  PrintRate("open + read(2500) + close", bare, "files/s");
  PrintRatio("IdentifyFile rate / libmagic rate", divide(identify, magic), ">=", 20.0);
  // The bare loop's rate over IdentifyFile's is IdentifyFile's time over its.
  PrintRatio("IdentifyFile time / bare loop time", divide(bare, identify), "<=", 1.5);
  std::printf(
      "Name search: %.0f MiB compound file, \"Microsoft PowerPoint\" 100 bytes before "
      "the end\n",
      static_cast<double>(setup.large_size) / kMiB);
  PrintRate("IdentifyFile name search (answer 54)", search, "MiB/s");
  PrintRate("plain read(2), 128 KiB buffer", plain, "MiB/s");
  PrintRatio("search throughput / plain read throughput", divide(search, plain), ">=", 0.70);
}

// Any file the classifier cannot read makes the timings meaningless; a kind
// other than the one made is only reported.
bool CheckCorpus(const Setup& setup) {
  FreshClassifier identify;
  std::map<std::string, int> surprises;
  for (const CorpusFile& file : setup.small) {
    const int kind = identify(file.path);
    if (kind < 0) {
      std::fprintf(stderr, "cannot classify %s\n", file.path.c_str());
      return false;
    }
    if (kind != file.expected_kind) ++surprises[file.family];
  }
  for (const auto& [family, count] : surprises)
    std::fprintf(stderr, "note: %d %s file(s) were classified as another kind than made\n", count,
                 family.c_str());
  const int large = identify(setup.large);
  if (large != kPowerPointKind) {
    std::fprintf(stderr, "the large compound file gave %d, not %d\n", large, kPowerPointKind);
    return false;
  }
  return true;
}

std::optional<std::uint64_t> ParseCount(std::string_view arg, std::string_view flag) {
  if (!arg.starts_with(flag)) return std::nullopt;
  arg.remove_prefix(flag.size());
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(arg.data(), arg.data() + arg.size(), value);
  if (ec != std::errc() || end != arg.data() + arg.size() || value == 0) return std::nullopt;
  return value;
}

int Run(int argc, char** argv) {
  // Interleaved repetitions let the load of other processes fall on every
  // benchmark alike, which keeps the ratios steady on a busy machine. Flags
  // on the command line come later, so they win.
  std::vector<std::string> defaults{"--benchmark_repetitions=5",
                                    "--benchmark_enable_random_interleaving=true",
                                    "--benchmark_display_aggregates_only=true"};
  std::vector<char*> args{argv[0]};
  for (std::string& flag : defaults) args.push_back(flag.data());
  args.insert(args.end(), argv + 1, argv + argc);
  argc = static_cast<int>(args.size());
  argv = args.data();
  benchmark::Initialize(&argc, argv);
  std::uint64_t small_count = kDefaultSmallFiles;
  std::uint64_t large_mib = kDefaultLargeMiB;
  std::vector<char*> rest{argv[0]};
  for (int i = 1; i < argc; ++i) {
    if (const auto v = ParseCount(argv[i], "--files=")) {
      small_count = std::min<std::uint64_t>(*v, 10000);
    } else if (const auto m = ParseCount(argv[i], "--large_mib=")) {
      large_mib = *m;
    } else {
      rest.push_back(argv[i]);
    }
  }
  if (benchmark::ReportUnrecognizedArguments(static_cast<int>(rest.size()), rest.data())) {
    std::fprintf(stderr, "own flags: --files=N (small files), --large_mib=N (compound file)\n");
    return 1;
  }

  MagicCookie magic(magic_open(MAGIC_NONE));
  if (!magic || magic_load(magic.get(), nullptr) != 0) {
    std::fprintf(stderr, "libmagic: %s\n", magic ? magic_error(magic.get()) : "magic_open failed");
    return 1;
  }

  TempFolder folder;
  Setup setup;
  setup.magic = magic.get();
  std::fprintf(stderr, "Making %llu small files and a %llu MiB compound file in %s ...\n",
               static_cast<unsigned long long>(small_count),
               static_cast<unsigned long long>(large_mib), folder.path().c_str());
  setup.small = WriteSmallFiles(folder, static_cast<int>(small_count), 0x5EED0001);
  for (const CorpusFile& file : setup.small) {
    UniqueFd fd(::open(file.path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd) setup.small_bytes += static_cast<std::uint64_t>(::lseek(fd.get(), 0, SEEK_END));
  }
  setup.large_size = large_mib << 20;
  setup.large = WriteLargeCompoundFile(folder, setup.large_size, 0x5EED0002);
  folder.Flush();
  if (!ReadWholeFile(setup.large) || !CheckCorpus(setup)) return 1;

  benchmark::RegisterBenchmark(kIdentifySmall, IdentifySmallFiles, std::cref(setup))
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(kMagicSmall, MagicSmallFiles, std::cref(setup))
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(kBareSmall, BareReadSmallFiles, std::cref(setup))
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(kIdentifyLarge, IdentifyLargeCompound, std::cref(setup))
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(kPlainLarge, PlainReadLargeCompound, std::cref(setup))
      ->Unit(benchmark::kMillisecond);

  CollectingReporter reporter(*benchmark::CreateDefaultDisplayReporter());
  const std::size_t ran = benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  if (ran > 0) PrintSummary(reporter, setup);
  return reporter.AnyError() ? 1 : 0;
}

}  // namespace
}  // namespace miwake::bench

int main(int argc, char** argv) {
  try {
    return miwake::bench::Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "miwake_bench: %s\n", e.what());
    return 1;
  }
}
