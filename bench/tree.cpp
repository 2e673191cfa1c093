#include "tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <numbers>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "corpus.h"

namespace miwake::bench {
namespace {

namespace fs = std::filesystem;

// Raise whenever the tree's bytes or names would change, so that kept trees
// are made again.
constexpr int kGeneratorVersion = 1;
constexpr std::uint64_t kSeed = 0x5EED7EE0;
constexpr std::size_t kFilesPerFolder = 16;
constexpr int kMaxDepth = 9;
constexpr std::size_t kMaxSize = 4u << 20;
constexpr const char* kManifest = "manifest.tsv";

// How often each family occurs and its sizes: log-normal around `median`, so
// most files are small and a few large.
struct Share {
  std::string_view family;
  double weight;
  double median;
  double sigma;
  std::string_view extension;
};

constexpr std::string_view kEmptyFile = "empty";
constexpr std::string_view kCopiedExecutable = "copied executable";

constexpr std::array<Share, 22> kTreeMix{{
    {"text", 30, 1500, 1.3, ".txt"},
    {"shift-jis text", 14, 2000, 1.2, ".txt"},
    {kEmptyFile, 1, 0, 0, ".txt"},
    {"jpeg", 9, 15000, 1.2, ".jpg"},
    {"gif", 3, 6000, 1.2, ".gif"},
    {"bmp", 3, 10000, 1.5, ".bmp"},
    {"png", 3, 8000, 1.3, ".png"},
    {"zip", 5, 8000, 1.8, ".zip"},
    {"lzh", 2, 8000, 1.5, ".lzh"},
    {"cab", 1.5, 15000, 1.5, ".cab"},
    {"mz executable", 2, 24000, 1.2, ".exe"},
    {kCopiedExecutable, 3, 0, 0, ""},
    {"midi", 1.5, 8000, 1.0, ".mid"},
    {"riff wave", 2, 30000, 1.5, ".wav"},
    {"riff avi", 1, 120000, 1.2, ".avi"},
    {"riff midi", 0.5, 8000, 1.0, ".rmi"},
    {"compound", 1, 14000, 1.4, ".msg"},
    {"compound with Word", 2, 14000, 1.4, ".doc"},
    {"compound with Excel", 2, 14000, 1.4, ".xls"},
    {"compound with Ichitaro", 1, 14000, 1.4, ".jtd"},
    {"compound with PowerPoint", 1, 30000, 1.4, ".ppt"},
    {"random binary", 5, 3000, 1.8, ".dat"},
}};

// Folder names as people give them, Japanese ones among them.
constexpr std::array<std::string_view, 24> kFolderWords{"src",
                                                        "docs",
                                                        "images",
                                                        "写真",
                                                        "資料",
                                                        "backup",
                                                        "old",
                                                        "2019",
                                                        "2020",
                                                        "会議",
                                                        "tmp",
                                                        "data",
                                                        "program",
                                                        "work",
                                                        "projects",
                                                        "music",
                                                        "archive",
                                                        "デスクトップ",
                                                        "新しいフォルダー",
                                                        "reports",
                                                        "ゲーム",
                                                        "setup",
                                                        "My Documents",
                                                        "素材"};
constexpr std::array<std::string_view, 16> kFileWords{
    "readme", "memo",  "報告書", "photo",  "data",  "setup", "report", "議事録",
    "backup", "image", "list",   "sample", "music", "test",  "資料",   "copy"};
// Names that say nothing or the wrong thing, as files often have.
constexpr std::array<std::string_view, 5> kOddExtensions{".dat", ".bak", "", ".tmp", ".txt"};

struct Sample {
  std::string name;
  int kind;
  Bytes bytes;
};

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The executables listed in a table of the test data, with their codes: the
// code is the first column and the file the last.
void AddSamples(const fs::path& folder, std::string_view prefix, std::vector<Sample>& samples) {
  std::ifstream table(folder / "expected.tsv");
  if (!table) throw std::runtime_error("cannot read " + (folder / "expected.tsv").string());
  std::string line;
  while (std::getline(table, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::string file = line.substr(line.rfind('\t') + 1);
    // Some listed files are fetched by the tests and may be absent.
    if (!file.starts_with(prefix) || !fs::is_regular_file(folder / file)) continue;
    const int kind = std::stoi(line.substr(0, line.find('\t')));
    samples.push_back({fs::path(file).filename().string(), kind, ReadBytes(folder / file)});
  }
}

std::vector<Sample> LoadSamples(const std::string& test_data) {
  std::vector<Sample> samples;
  AddSamples(fs::path(test_data) / "pe-samples", "", samples);
  AddSamples(fs::path(test_data) / "real", "pe/", samples);
  if (samples.empty()) throw std::runtime_error("no executables in " + test_data);
  return samples;
}

// FNV-1a: the copied samples are part of what the tree is.
std::uint64_t Fingerprint(const std::vector<Sample>& samples) {
  std::uint64_t h = 0xCBF29CE484222325ull;
  auto add = [&h](std::uint8_t b) { h = (h ^ b) * 0x100000001B3ull; };
  for (const Sample& s : samples) {
    for (const char c : s.name) add(static_cast<std::uint8_t>(c));
    for (const std::uint8_t b : s.bytes) add(b);
  }
  return h;
}

std::string ManifestHeader(std::size_t files, std::uint64_t fingerprint) {
  char header[160];
  std::snprintf(header, sizeof header,
                "# miwake bench tree: generator %d, seed %llx, %zu files, samples %016llx",
                kGeneratorVersion, static_cast<unsigned long long>(kSeed), files,
                static_cast<unsigned long long>(fingerprint));
  return header;
}

double Normal(SplitMix64& rng) {
  const double u = 1.0 - rng.Unit();  // never 0, for the logarithm
  return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * rng.Unit());
}

// Picks an index with probability proportional to its weight.
class WeightedPick {
 public:
  explicit WeightedPick(const std::vector<double>& weights) {
    double sum = 0;
    for (const double w : weights) cumulative_.push_back(sum += w);
  }
  std::size_t operator()(SplitMix64& rng) const {
    const double at = rng.Unit() * cumulative_.back();
    const auto it = std::upper_bound(cumulative_.begin(), cumulative_.end(), at);
    return std::min<std::size_t>(static_cast<std::size_t>(it - cumulative_.begin()),
                                 cumulative_.size() - 1);
  }

 private:
  std::vector<double> cumulative_;
};

struct Folder {
  std::string path;  // below the root; empty for the root
  int depth;
};

// A random recursive tree: each new folder goes below a random earlier one,
// which gives a few wide folders near the top and many leaves.
std::vector<Folder> PlanFolders(SplitMix64& rng, std::size_t count) {
  std::vector<Folder> folders{{"", 0}};
  std::vector<std::size_t> children(1, 0);
  while (folders.size() < count) {
    std::size_t parent = rng.Below(static_cast<std::uint32_t>(folders.size()));
    while (folders[parent].depth >= kMaxDepth)
      parent = rng.Below(static_cast<std::uint32_t>(folders.size()));
    const std::string name = std::string(kFolderWords[rng.Below(kFolderWords.size())]) + " " +
                             std::to_string(++children[parent]);
    const Folder& p = folders[parent];
    folders.push_back({p.path.empty() ? name : p.path + "/" + name, p.depth + 1});
    children.push_back(0);
  }
  return folders;
}

std::vector<TreeFile> MakeTree(const fs::path& root, std::size_t count,
                               const std::vector<Sample>& samples) {
  SplitMix64 rng(kSeed);
  const std::vector<Folder> folders =
      PlanFolders(rng, std::max<std::size_t>(1, count / kFilesPerFolder));
  for (const Folder& folder : folders) fs::create_directories(root / folder.path);

  std::vector<double> folder_weights;
  for (std::size_t i = 0; i < folders.size(); ++i)
    folder_weights.push_back(std::exp(1.3 * Normal(rng)));
  const WeightedPick pick_folder(folder_weights);
  std::vector<double> family_weights;
  for (const Share& share : kTreeMix) family_weights.push_back(share.weight);
  const WeightedPick pick_share(family_weights);

  std::vector<TreeFile> files;
  files.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const Folder& folder = folders[pick_folder(rng)];
    const Share& share = kTreeMix[pick_share(rng)];
    SplitMix64 content(rng.Next());
    std::string stem =
        std::string(kFileWords[rng.Below(kFileWords.size())]) + "_" + std::to_string(100000 + i);
    std::string extension(share.extension);
    if (rng.Below(100) < 8) extension = kOddExtensions[rng.Below(kOddExtensions.size())];

    Bytes bytes;
    TreeFile file;
    if (share.family == kCopiedExecutable) {
      const Sample& sample = samples[rng.Below(static_cast<std::uint32_t>(samples.size()))];
      bytes = sample.bytes;
      file.expected_kind = sample.kind;
      stem += "_" + sample.name;
      extension.clear();
    } else if (share.family == kEmptyFile) {
      file.expected_kind = 1;  // an empty file is text
    } else {
      const Family& family = FamilyNamed(share.family);
      const double size = share.median * std::exp(share.sigma * Normal(rng));
      bytes = family.make(
          content, static_cast<std::size_t>(std::clamp(size, static_cast<double>(family.min_size),
                                                       static_cast<double>(kMaxSize))));
      file.expected_kind = family.expected_kind;
    }
    file.family = share.family;
    file.path = (folder.path.empty() ? "" : folder.path + "/") + stem + extension;
    WriteFile((root / file.path).string(), bytes);
    files.push_back(std::move(file));
    if ((i + 1) % 10000 == 0) std::fprintf(stderr, "  %zu files\n", i + 1);
  }
  return files;
}

std::vector<TreeFile> ReadManifest(const fs::path& path, const std::string& header) {
  std::ifstream in(path);
  std::string line;
  if (!in || !std::getline(in, line) || line != header) return {};
  std::vector<TreeFile> files;
  while (std::getline(in, line)) {
    const std::size_t a = line.find('\t');
    const std::size_t b = line.find('\t', a + 1);
    if (a == std::string::npos || b == std::string::npos) return {};
    files.push_back(
        {line.substr(b + 1), std::stoi(line.substr(0, a)), line.substr(a + 1, b - a - 1)});
  }
  return files;
}

void WriteManifest(const fs::path& path, const std::string& header,
                   const std::vector<TreeFile>& files) {
  const fs::path partial = path.string() + ".partial";
  {
    std::ofstream out(partial, std::ios::trunc);
    out << header << '\n';
    for (const TreeFile& f : files)
      out << f.expected_kind << '\t' << f.family << '\t' << f.path << '\n';
    if (!out.flush()) throw std::runtime_error("cannot write " + partial.string());
  }
  fs::rename(partial, path);
}

// The manifest is trusted only while the tree holds exactly its files.
bool TreeHolds(const std::string& root, const std::vector<TreeFile>& files) {
  std::error_code ec;
  if (files.empty() || !fs::is_directory(root, ec)) return false;
  std::vector<std::string> expected;
  for (const TreeFile& f : files) expected.push_back(root + "/" + f.path);
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> found = ListTree(root).files;
  std::sort(found.begin(), found.end());
  return found == expected;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

void ListFolder(const std::string& path, Listing& listing) {
  UniqueDir dir(::opendir(path.c_str()));
  if (!dir) throw std::system_error(errno, std::generic_category(), "opendir " + path);
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    struct stat st {};
    if (::fstatat(::dirfd(dir.get()), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
      throw std::system_error(errno, std::generic_category(), "stat " + path + "/" + name);
    if (S_ISDIR(st.st_mode)) {
      ++listing.folders;
      ListFolder(path + "/" + name, listing);
    } else if (S_ISREG(st.st_mode)) {
      listing.files.push_back(path + "/" + name);
      listing.bytes += static_cast<std::uint64_t>(st.st_size);
    }
  }
}

}  // namespace

Listing ListTree(const std::string& root) {
  Listing listing;
  ListFolder(root, listing);
  return listing;
}

Tree EnsureTree(const TreeOptions& options) {
  const fs::path cache = fs::absolute(options.cache);
  const fs::path root = cache / "tree";
  const fs::path manifest = cache / kManifest;
  const std::vector<Sample> samples = LoadSamples(options.test_data);
  const std::string header = ManifestHeader(options.files, Fingerprint(samples));

  Tree tree{root.string(), ReadManifest(manifest, header)};
  if (TreeHolds(tree.root, tree.files)) return tree;

  std::fprintf(stderr, "Making a tree of %zu files in %s ...\n", options.files,
               root.string().c_str());
  const auto start = std::chrono::steady_clock::now();
  fs::remove(manifest);
  fs::remove_all(root);
  const fs::path partial = cache / "tree.partial";
  fs::remove_all(partial);
  fs::create_directories(partial);
  tree.files = MakeTree(partial, options.files, samples);
  FlushFileSystemOf(partial.string());
  fs::rename(partial, root);
  WriteManifest(manifest, header, tree.files);
  std::fprintf(stderr, "  made in %.1f s\n",
               std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  return tree;
}

}  // namespace miwake::bench
