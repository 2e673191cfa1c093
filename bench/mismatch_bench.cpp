// How many files `miwake -r --mismatches` flags in folders of an ordinary
// Linux system, beside what libmagic's extension lists would flag in the
// same files, and whether it finds the lies planted in copies of the
// project's sample files and of real files of other formats. A
// measurement: targets missed are printed, not failed.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "identify/kinds.h"
#include "types/mime_database.h"

extern char** environ;

namespace miwake::bench {
namespace {

namespace fs = std::filesystem;

constexpr double kFlaggedTarget = 0.1;  // percent of all files, at most
constexpr std::size_t kTopPairs = 15;
// Bounds the list file and the output held at once; any size gives the same count.
constexpr std::size_t kMagicBatch = 4000;
constexpr double kTypedTarget = 90.0;   // percent of the lies beyond the classic kinds, at least
constexpr std::size_t kPerFormat = 30;  // files of each format taken from the machine
constexpr std::uintmax_t kMaxCopy = 16u << 20;
constexpr std::size_t kMarkReach = 4096;

struct Options {
  std::string miwake = MIWAKE_TOOL_PATH;
  std::string out = "build/bench-mismatches";
  std::string test_data = MIWAKE_TEST_DATA_DIR;
  std::vector<std::string> folders;
};

// Folders where many kinds of file lie under names that others chose.
std::vector<std::string> DefaultFolders() {
  const std::initializer_list<std::initializer_list<const char*>> wanted{
      {"/usr/share/doc"},
      {"/usr/lib/python3"},
      {"/usr/share/wine"},
      {"/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", "/usr/lib/wine/x86_64-windows"},
      {"/usr/share/pixmaps"},
      {"/usr/share/X11"},
      {"/usr/share/perl5"},
      {"/usr/share/mime"},
      {"/usr/share/icons"},
  };
  std::vector<std::string> folders;
  for (const auto& any_of : wanted) {
    const auto found = std::find_if(any_of.begin(), any_of.end(),
                                    [](const char* f) { return fs::is_directory(f); });
    if (found != any_of.end()) folders.emplace_back(*found);
  }
  return folders;
}

// ---- Programs and files ----

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    lines.push_back(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return lines;
}

// Files rather than pipes take the output and the error stream, so that
// neither can stall the program while the other is read.
int RunProgram(const std::vector<std::string>& args, const std::string& out,
               const std::string& err) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  constexpr int kFlags = O_WRONLY | O_CREAT | O_TRUNC;
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), kFlags, 0644);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), kFlags, 0644);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::system_error(spawned, std::generic_category(), "run " + args[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "wait");
  if (!WIFEXITED(status))
    throw std::runtime_error(args[0] + " was ended by signal " + std::to_string(WTERMSIG(status)));
  return WEXITSTATUS(status);
}

std::string Lower(std::string_view s) {
  std::string lower(s);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// Lower case; none when the leaf name has no dot but a leading one.
std::string ExtensionOf(std::string_view path) {
  const std::string_view leaf = path.substr(path.rfind('/') + 1);
  const std::size_t dot = leaf.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? std::string() : Lower(leaf.substr(dot + 1));
}

// A name on one line of a list, whatever it holds.
std::string OneLine(std::string_view name) {
  std::string line;
  for (const char c : name) line += c == '\n' ? std::string("\\n") : std::string(1, c);
  return line;
}

std::string Percent(std::size_t count, std::size_t whole) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f %%", whole ? 100.0 * count / whole : 0.0);
  return text;
}

// ---- miwake ----

struct Flagged {
  std::string path;
  int code = 0;
  std::optional<std::string> claims, type;  // only from a miwake that judges names
  std::string rename_to;
};

struct MiwakeRun {
  std::size_t files = 0, mismatches = 0;
  std::optional<std::size_t> claims_nothing;
  std::vector<Flagged> flagged;
  std::vector<std::string> notes;
};

std::optional<std::string> StringField(const nlohmann::json& j, const char* name) {
  const auto it = j.find(name);
  if (it == j.end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}

MiwakeRun RunMiwake(const Options& options, const std::string& folder) {
  const std::string out = options.out + "/miwake.out", err = options.out + "/miwake.err";
  const int status = RunProgram({options.miwake, "-r", "--mismatches", "--json", folder}, out, err);
  const std::string errors = ReadText(err);
  const auto error_lines = Lines(errors);
  // 1 means some file could not be read or was no regular file: the rest counts.
  if (status != 0 && status != 1)
    throw std::runtime_error("miwake over " + folder + " ended with status " +
                             std::to_string(status) + ": " +
                             std::string(error_lines.empty() ? "" : error_lines.front()));
  MiwakeRun run;
  if (!error_lines.empty())
    run.notes.push_back("miwake wrote " + std::to_string(error_lines.size()) +
                        " line(s) on its error stream over " + folder +
                        ", the first: " + std::string(error_lines.front()));
  const std::string text = ReadText(out);
  bool summed_up = false;
  for (const std::string_view line : Lines(text)) {
    const auto j = nlohmann::json::parse(line, nullptr, false);
    if (j.is_object() && j.contains("summary") && j["summary"].is_object()) {
      const auto& summary = j["summary"];
      run.files = summary.value("files", std::size_t{0});
      run.mismatches = summary.value("mismatches", std::size_t{0});
      if (summary.contains("claims_nothing"))
        run.claims_nothing = summary["claims_nothing"].get<std::size_t>();
      summed_up = true;
      continue;
    }
    const auto path = j.is_object() ? StringField(j, "path") : std::nullopt;
    if (!path || !j.contains("code") || !j["code"].is_number_integer())
      throw std::runtime_error("miwake over " + folder + " printed a line that is not a file: " +
                               std::string(line.substr(0, 200)));
    Flagged f{*path, j["code"].get<int>(), StringField(j, "claims"), StringField(j, "type"), ""};
    if (j.contains("rename") && j["rename"].is_object())
      f.rename_to = StringField(j["rename"], "to").value_or("");
    run.flagged.push_back(std::move(f));
  }
  if (!summed_up) throw std::runtime_error("miwake over " + folder + " printed no summary");
  if (run.flagged.size() != run.mismatches)
    run.notes.push_back("miwake over " + folder + " listed " + std::to_string(run.flagged.size()) +
                        " files but summed up " + std::to_string(run.mismatches));
  return run;
}

// What the maintainer sees in the list of the most common: the MIME types
// when miwake names them, else the name's extension and the kind it got.
std::string PairOf(const Flagged& f) {
  if (f.claims || f.type) return f.claims.value_or("?") + " -> " + f.type.value_or("?");
  const std::string ext = ExtensionOf(f.path);
  return (ext.empty() ? "(no extension)" : "." + ext) + " -> " + std::to_string(f.code) + " (" +
         std::string(KindExtension(f.code)) + ")";
}

// ---- libmagic ----

// As miwake walks: regular files only, no symbolic link followed.
std::vector<std::string> RegularFiles(const std::string& folder, std::vector<std::string>& notes) {
  std::vector<std::string> files;
  std::error_code ec;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    if (it->symlink_status(ec).type() == fs::file_type::regular) files.push_back(it->path());
  if (ec) notes.push_back("the walk of " + folder + " stopped early: " + ec.message());
  return files;
}

// libmagic's answer is a list like "jpeg/jpg/jpe/jfif"; anything else
// ("???", an error) claims no extension.
bool IsExtensionList(std::string_view answer) {
  return !answer.empty() && answer != "???" &&
         answer.find_first_of(" \t`'") == std::string_view::npos;
}

bool ListHas(std::string_view list, const std::string& ext) {
  for (std::size_t start = 0; start <= list.size();) {
    const std::size_t end = std::min(list.find('/', start), list.size());
    if (Lower(list.substr(start, end - start)) == ext) return true;
    start = end + 1;
  }
  return false;
}

// The files with an extension that libmagic's list for them leaves out.
std::vector<std::string> MagicFlagged(const Options& options,
                                      const std::vector<std::string>& files) {
  std::vector<const std::string*> asked;
  for (const std::string& f : files)
    // file -f reads a name a line.
    if (!ExtensionOf(f).empty() && f.find('\n') == std::string::npos) asked.push_back(&f);
  const std::string list = options.out + "/file.list", out = options.out + "/file.out",
                    err = options.out + "/file.err";
  std::vector<std::string> flagged;
  for (std::size_t begin = 0; begin < asked.size(); begin += kMagicBatch) {
    const std::size_t end = std::min(begin + kMagicBatch, asked.size());
    {
      std::ofstream names(list, std::ios::binary | std::ios::trunc);
      for (std::size_t i = begin; i < end; ++i) names << *asked[i] << '\n';
      if (!names.flush()) throw std::runtime_error("cannot write " + list);
    }
    if (RunProgram({"file", "-b", "--extension", "-f", list}, out, err) != 0)
      throw std::runtime_error("file -b --extension failed: " + ReadText(err));
    const std::string text = ReadText(out);
    const auto answers = Lines(text);
    // The answers are matched to the names by position alone.
    if (answers.size() != end - begin)
      throw std::runtime_error("file gave " + std::to_string(answers.size()) + " answers for " +
                               std::to_string(end - begin) + " names");
    for (std::size_t i = begin; i < end; ++i) {
      const std::string_view answer = answers[i - begin];
      if (IsExtensionList(answer) && !ListHas(answer, ExtensionOf(*asked[i])))
        flagged.push_back(*asked[i] + '\t' + std::string(answer));
    }
  }
  return flagged;
}

// ---- Real folders ----

struct FolderRow {
  std::string folder;
  std::size_t files = 0, walked = 0, miwake = 0, magic = 0;
  std::optional<std::size_t> claims_nothing;
};

bool MeasureFolders(const Options& options) {
  std::vector<FolderRow> rows;
  std::vector<std::string> notes;
  std::map<std::string, std::size_t> pairs;
  std::ofstream flagged_out(options.out + "/flagged.txt", std::ios::trunc);
  std::ofstream magic_out(options.out + "/libmagic-flagged.txt", std::ios::trunc);
  for (const std::string& folder : options.folders) {
    std::fprintf(stderr, "%s ...\n", folder.c_str());
    MiwakeRun run = RunMiwake(options, folder);
    const std::vector<std::string> files = RegularFiles(folder, notes);
    const std::vector<std::string> magic = MagicFlagged(options, files);
    for (const Flagged& f : run.flagged) {
      const std::string pair = PairOf(f);
      ++pairs[pair];
      flagged_out << OneLine(f.path) << '\t' << pair << '\n';
    }
    for (const std::string& m : magic) magic_out << m << '\n';
    if (run.files != files.size())
      notes.push_back("miwake counted " + std::to_string(run.files) + " files in " + folder +
                      ", the walk here " + std::to_string(files.size()));
    notes.insert(notes.end(), run.notes.begin(), run.notes.end());
    rows.push_back(
        {folder, run.files, files.size(), run.flagged.size(), magic.size(), run.claims_nothing});
  }
  if (!flagged_out.flush() || !magic_out.flush())
    throw std::runtime_error("cannot write the lists in " + options.out);

  FolderRow total;
  total.folder = "total";
  for (const FolderRow& r : rows) {
    total.files += r.files;
    total.walked += r.walked;
    total.miwake += r.miwake;
    total.magic += r.magic;
    if (r.claims_nothing)
      total.claims_nothing = total.claims_nothing.value_or(0) + *r.claims_nothing;
  }
  const bool claims_column = total.claims_nothing.has_value();
  std::printf("\nFiles flagged as misnamed\n\n  %-48s %7s %19s %19s%s\n", "folder", "files",
              "miwake", "libmagic", claims_column ? "  claims nothing" : "");
  rows.push_back(total);
  for (const FolderRow& r : rows) {
    std::printf("  %-48s %7zu %7zu %11s %7zu %11s", r.folder.c_str(), r.files, r.miwake,
                Percent(r.miwake, r.files).c_str(), r.magic, Percent(r.magic, r.walked).c_str());
    if (claims_column && r.claims_nothing) std::printf(" %16zu", *r.claims_nothing);
    std::printf("\n");
  }
  const double share = total.files ? 100.0 * total.miwake / total.files : 0.0;
  std::printf("\n  miwake flagged %.3f %% of all files; target at most %g %%: %s\n", share,
              kFlaggedTarget, share <= kFlaggedTarget ? "MET" : "MISSED");

  std::vector<std::pair<std::string, std::size_t>> common(pairs.begin(), pairs.end());
  std::stable_sort(common.begin(), common.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  common.resize(std::min(common.size(), kTopPairs));
  std::printf("\n  The %zu most common among miwake's flagged files:\n", common.size());
  for (const auto& [pair, count] : common) std::printf("  %9zu  %s\n", count, pair.c_str());
  std::printf("\n  Every file flagged: %s/flagged.txt (miwake), %s/libmagic-flagged.txt\n",
              options.out.c_str(), options.out.c_str());
  for (const std::string& n : notes) std::printf("  note: %s\n", n.c_str());
  return share <= kFlaggedTarget;
}

// ---- Planted lies ----

struct Sample {
  int code;
  std::string ext;   // the extension of its kind
  std::string file;  // under tests/data/real
};

std::vector<Sample> ReadExpected(const std::string& tsv) {
  std::vector<Sample> samples;
  const std::string text = ReadText(tsv);
  for (const std::string_view line : Lines(text)) {
    if (line.empty() || line.front() == '#') continue;
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = line.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos) throw std::runtime_error("a row of " + tsv + " is short");
    samples.push_back({std::stoi(std::string(line.substr(0, tab1))),
                       std::string(line.substr(tab1 + 1, tab2 - tab1 - 1)),
                       std::string(line.substr(tab2 + 1))});
  }
  return samples;
}

int CodeOfExtension(std::string_view ext) {
  for (const KindInfo& k : AllKinds())
    if (k.extension == ext) return k.code;
  throw std::logic_error("no kind has the extension " + std::string(ext));
}

bool IsExecutable(int code) {
  return (code >= kFirstExecutableSubKind && code <= kLastExecutableSubKind) ||
         code == kKindExecutable;
}

bool IsCompoundDocument(int code) {
  return (code >= 51 && code <= 54) || code == 101 || code == 102;
}

// Kinds that share a container, or text under a name that once often held
// text, would be a lie a reader could argue about.
bool PlainlyDifferent(int code, int other, std::string_view other_ext) {
  if (code == other) return false;
  if (IsExecutable(code) && IsExecutable(other)) return false;
  if (IsCompoundDocument(code) && IsCompoundDocument(other)) return false;
  return !(code == kKindText && other_ext == "doc");
}

std::string ClassicLie(int code) {
  for (const char* ext :
       {"txt", "gif", "zip", "wav", "exe", "doc", "jpg", "bmp", "mid", "lzh", "cab"})
    if (PlainlyDifferent(code, CodeOfExtension(ext), ext)) return ext;
  throw std::logic_error("no classic extension lies about kind " + std::to_string(code));
}

struct Plant {
  std::string name;  // under the planted folder
  const Sample* sample;
};

std::vector<Plant> PlantLies(const std::vector<Sample>& samples, const fs::path& real,
                             const fs::path& root, std::vector<std::string>& notes) {
  std::vector<std::pair<const Sample*, std::string>> lies;
  for (const Sample& s : samples) {
    if (s.code == kKindOther || s.code == kKindUnreadable || s.code == kKindRupo) continue;
    // The table lists some files that are not shipped.
    if (fs::exists(real / s.file))
      lies.emplace_back(&s, ClassicLie(s.code));
    else
      notes.push_back(s.file + " is listed in expected.tsv but missing");
  }
  // Beyond the classic kinds: names the MIME database knows.
  constexpr std::array<std::pair<int, const char*>, 4> kOtherLies{
      {{108 /* GIF */, "png"}, {107 /* JPEG */, "pdf"}, {kKindText, "gz"}, {110 /* ZIP */, "mp3"}}};
  for (const auto& [code, ext] : kOtherLies) {
    const auto s = std::find_if(samples.begin(), samples.end(), [&](const Sample& x) {
      return x.code == code && fs::exists(real / x.file);
    });
    if (s != samples.end()) lies.emplace_back(&*s, ext);
  }
  fs::remove_all(root);
  std::vector<Plant> plants;
  for (const auto& [sample, ext] : lies) {
    const fs::path from(sample->file);
    fs::create_directories(root / from.parent_path());
    // Two samples of one stem in one folder: the second gets a number.
    fs::path name = from.parent_path() / (from.stem().string() + "." + ext);
    for (int n = 2; fs::exists(root / name); ++n)
      name = from.parent_path() / (from.stem().string() + "-" + std::to_string(n) + "." + ext);
    fs::copy_file(real / from, root / name);
    plants.push_back({name.string(), sample});
  }
  return plants;
}

bool CheckPlantedLies(const Options& options) {
  const fs::path real = fs::path(options.test_data) / "real";
  const std::vector<Sample> samples = ReadExpected((real / "expected.tsv").string());
  const fs::path root = fs::absolute(fs::path(options.out) / "planted").lexically_normal();
  std::vector<std::string> notes;
  const std::vector<Plant> plants = PlantLies(samples, real, root, notes);
  MiwakeRun run = RunMiwake(options, root.string());
  notes.insert(notes.end(), run.notes.begin(), run.notes.end());
  std::map<std::string, const Flagged*> listed;
  for (const Flagged& f : run.flagged) listed.emplace(f.path, &f);

  std::size_t found = 0, right = 0;
  std::vector<std::string> missed;
  for (const Plant& p : plants) {
    const std::string why =
        " (a copy of " + p.sample->file + ", code " + std::to_string(p.sample->code) + "): ";
    const auto it = listed.find((root / p.name).string());
    if (it == listed.end()) {
      missed.push_back(p.name + why + "not listed");
      continue;
    }
    ++found;
    const std::string& to = it->second->rename_to;
    // Text of a format of its own (HTML, PostScript, a WAV of text bytes)
    // may rightly get that format's extension, the sample's own.
    if (to.ends_with("." + p.sample->ext) ||
        Lower(fs::path(to).extension().string()) ==
            Lower(fs::path(p.sample->file).extension().string()))
      ++right;
    else
      missed.push_back(p.name + why + "offered " + fs::path(to).filename().string() + ", not ." +
                       p.sample->ext);
  }
  const bool met = found == plants.size() && right == plants.size();
  std::printf("\nPlanted lies in %s\n\n", root.c_str());
  std::printf("  planted lies: %zu, found %zu, offered the right extension %zu\n", plants.size(),
              found, right);
  std::printf("  target: all found and all offered the right extension: %s\n",
              met ? "MET" : "MISSED");
  for (const std::string& m : missed) std::printf("  missed: %s\n", m.c_str());
  for (const std::string& n : notes) std::printf("  note: %s\n", n.c_str());
  return met;
}

// ---- Planted lies beyond the classic kinds ----

// Real files of a format that the machine's packages hold, each taken only
// when it carries its format's mark, so that what it truly is stays known.
struct MachineFormat {
  std::string type;
  std::vector<std::string> folders;
  std::string ext;   // of the files taken
  std::string mark;  // what each begins with
  bool mark_inside;  // or holds within its first kMarkReach bytes
  std::string lie;   // the extension it is planted under
};

std::vector<MachineFormat> MachineFormats() {
  using namespace std::string_literals;
  return {
      {"image/png", {"/usr/share/icons"}, "png", "\x89PNG\r\n\x1a\n", false, "jpg"},
      {"image/svg+xml", {"/usr/share/icons"}, "svg", "<svg", true, "png"},
      {"font/ttf", {"/usr/share/fonts", "/usr/share/wine/fonts"}, "ttf", "\0\1\0\0"s, false, "png"},
      {"application/gzip", {"/usr/share/doc"}, "gz", "\x1f\x8b", false, "zip"},
      {"application/pdf", {"/usr/share/doc"}, "pdf", "%PDF-", false, "doc"},
  };
}

// Where the samples of tests/data/types go when their format is left open.
constexpr std::array<const char*, 6> kTypeLies{"jpg", "zip", "pdf", "png", "mp3", "doc"};

// The folders miwake reads its database from, found as it finds them.
std::vector<std::string> MimeFolders() {
  const auto variable = [](const char* name) {
    const char* value = std::getenv(name);
    return std::string_view(value != nullptr ? value : "");
  };
  return XdgMimeFolders(variable("XDG_DATA_HOME"), variable("HOME"), variable("XDG_DATA_DIRS"));
}

bool HasMark(const std::string& path, const MachineFormat& f) {
  std::ifstream in(path, std::ios::binary);
  std::string head(f.mark_inside ? kMarkReach : f.mark.size(), '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  return f.mark_inside ? head.find(f.mark) != std::string::npos : head == f.mark;
}

// Up to kPerFormat files, spread evenly over the sorted list of them all.
std::vector<std::string> TakeFiles(const MachineFormat& f, std::vector<std::string>& notes) {
  std::vector<std::string> all;
  std::size_t unmarked = 0;
  for (const std::string& folder : f.folders) {
    if (!fs::is_directory(folder)) continue;
    for (const std::string& path : RegularFiles(folder, notes)) {
      std::error_code ec;
      if (ExtensionOf(path) != f.ext || fs::file_size(path, ec) > kMaxCopy || ec) continue;
      if (HasMark(path, f))
        all.push_back(path);
      else
        ++unmarked;
    }
  }
  if (unmarked > 0)
    notes.push_back(std::to_string(unmarked) + " ." + f.ext + " file(s) without the mark of " +
                    f.type + " left out");
  std::sort(all.begin(), all.end());
  std::vector<std::string> taken;
  const std::size_t n = std::min(all.size(), kPerFormat);
  for (std::size_t i = 0; i < n; ++i) taken.push_back(all[i * all.size() / n]);
  return taken;
}

struct TypedPlant {
  std::string name;    // under the planted folder
  std::string format;  // the type its content truly has
  std::string from;    // the file copied
  std::string source;  // where such files were taken, and under what name
};

bool Related(const MimeDatabase& db, std::string_view ext, const std::string& type) {
  for (const std::string& t : db.Match("x." + std::string(ext)).types)
    if (db.IsA(t, type) || db.IsA(type, t)) return true;
  return false;
}

std::vector<TypedPlant> PlantTypedLies(const Options& options, const MimeDatabase& db,
                                       const fs::path& root, std::vector<std::string>& notes) {
  // From, format, lie, source.
  std::vector<std::array<std::string, 4>> lies;
  const fs::path types = fs::path(options.test_data) / "types";
  const std::string table = ReadText((types / "expected.tsv").string());
  for (const std::string_view line : Lines(table)) {
    const std::size_t tab = line.find('\t');
    if (line.empty() || line.front() == '#' || tab == std::string_view::npos) continue;
    const std::string from = (types / line.substr(0, tab)).lexically_normal().string();
    const std::string format(line.substr(tab + 1));
    for (std::size_t k = 0; k < kTypeLies.size(); ++k) {
      const char* lie = kTypeLies[(lies.size() + k) % kTypeLies.size()];
      if (Related(db, lie, format)) continue;
      lies.push_back({from, format, lie, "tests/data/types, under another format's name"});
      break;
    }
  }
  for (const MachineFormat& f : MachineFormats()) {
    std::string folders;
    for (const std::string& folder : f.folders)
      if (fs::is_directory(folder)) folders += (folders.empty() ? "" : ", ") + folder;
    const std::string source = "*." + f.ext + " of " + folders + " as ." + f.lie;
    for (const std::string& from : TakeFiles(f, notes))
      lies.push_back({from, f.type, f.lie, source});
  }

  fs::remove_all(root);
  std::vector<TypedPlant> plants;
  for (const auto& [from, format, lie, source] : lies) {
    std::string folder = format;
    std::replace(folder.begin(), folder.end(), '/', '-');
    char number[16];
    std::snprintf(number, sizeof number, "%03zu-", plants.size());
    const fs::path name = fs::path(folder) / (number + fs::path(from).stem().string() + "." + lie);
    fs::create_directories(root / folder);
    fs::copy_file(from, root / name);
    plants.push_back({name.string(), format, from, source});
  }
  return plants;
}

// The extension offered names the content's format: the one the file had,
// or one the database gives the same type.
bool RightExtension(const MimeDatabase& db, const TypedPlant& p, const std::string& offered) {
  if (offered.empty()) return false;
  const std::string had = ExtensionOf(p.from);
  if (offered == had) return true;
  const std::vector<std::string> had_types = db.Match("x." + had).types;
  for (const std::string& t : db.Match("x." + offered).types)
    if (t == db.Canonical(p.format) ||
        std::find(had_types.begin(), had_types.end(), t) != had_types.end())
      return true;
  return false;
}

bool CheckTypedLies(const Options& options) {
  const MimeDatabase db = LoadMimeDatabase(MimeFolders());
  if (db.empty()) throw std::runtime_error("no shared MIME-info database found");
  const fs::path root = fs::absolute(fs::path(options.out) / "planted-types").lexically_normal();
  std::vector<std::string> notes;
  const std::vector<TypedPlant> plants = PlantTypedLies(options, db, root, notes);
  MiwakeRun run = RunMiwake(options, root.string());
  notes.insert(notes.end(), run.notes.begin(), run.notes.end());
  std::map<std::string, const Flagged*> listed;
  for (const Flagged& f : run.flagged) listed.emplace(f.path, &f);

  struct Row {
    std::string source;
    std::size_t planted = 0, found = 0, right = 0;
  };
  struct Misses {
    std::map<std::string, std::size_t> by_what;
    std::string example;
  };
  std::vector<Row> rows;
  std::map<std::string, Misses> misses;  // by format
  Row total{"total"};
  for (const TypedPlant& p : plants) {
    if (rows.empty() || rows.back().source != p.source) rows.push_back({p.source});
    Row& row = rows.back();
    ++row.planted;
    const auto it = listed.find((root / p.name).string());
    std::string miss;
    if (it == listed.end()) {
      miss = "not listed";
    } else {
      ++row.found;
      const std::string offered = ExtensionOf(it->second->rename_to);
      if (RightExtension(db, p, offered))
        ++row.right;
      else
        miss = "offered ." + offered + " (as " + it->second->type.value_or("?") + ")";
    }
    if (miss.empty()) continue;
    Misses& m = misses[p.format];
    ++m.by_what[miss];
    if (m.example.empty()) m.example = p.name + ", a copy of " + p.from;
  }
  std::printf("\nPlanted lies beyond the classic kinds in %s\n\n", root.c_str());
  std::printf("  %-56s %8s %8s %10s\n", "taken from", "planted", "found", "right ext");
  for (const Row& r : rows) {
    total.planted += r.planted;
    total.found += r.found;
    total.right += r.right;
  }
  rows.push_back(total);
  for (const Row& r : rows)
    std::printf("  %-56s %8zu %8zu %10zu\n", r.source.c_str(), r.planted, r.found, r.right);
  const double share = total.planted ? 100.0 * total.right / total.planted : 0.0;
  const bool met = share >= kTypedTarget;
  std::printf("\n  found and offered the right extension: %.1f %%; target at least %g %%: %s\n",
              share, kTypedTarget, met ? "MET" : "MISSED");
  for (const auto& [format, m] : misses) {
    std::printf("  missed, %s:", format.c_str());
    for (const auto& [what, n] : m.by_what) std::printf(" %zu %s;", n, what.c_str());
    std::printf(" e.g. %s\n", m.example.c_str());
  }
  for (const std::string& n : notes) std::printf("  note: %s\n", n.c_str());
  return met;
}

Options ParseOptions(int argc, char** argv) {
  Options o;
  CLI::App app(
      "How many files miwake -r --mismatches --json flags in real folders, against\n"
      "libmagic's extension lists over the same files, and whether it finds lies\n"
      "planted in copies of the sample files and of real files of other formats.",
      "miwake_mismatch_bench");
  app.add_option("folders", o.folders, "folders to measure (default: a list of system folders)");
  app.add_option("--out", o.out, "where the lists and the planted copies go")
      ->capture_default_str();
  app.add_option("--miwake", o.miwake, "the miwake program to measure")->capture_default_str();
  app.add_option("--test-data", o.test_data, "the project's tests/data")->capture_default_str();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    std::exit(app.exit(e));
  }
  if (o.folders.empty()) o.folders = DefaultFolders();
  return o;
}

int Run(int argc, char** argv) {
  const Options options = ParseOptions(argc, argv);
  fs::create_directories(options.out);
  std::printf("miwake: %s -r --mismatches --json FOLDER\n", options.miwake.c_str());
  const bool folders = MeasureFolders(options);
  const bool planted = CheckPlantedLies(options);
  const bool typed = CheckTypedLies(options);
  std::printf("\nTargets\n  at most %g %% of the files in real folders flagged: %s\n",
              kFlaggedTarget, folders ? "MET" : "MISSED");
  std::printf("  every planted lie of a classic kind found and offered its extension: %s\n",
              planted ? "MET" : "MISSED");
  std::printf("  at least %g %% of the lies beyond them found and offered their extension: %s\n",
              kTypedTarget, typed ? "MET" : "MISSED");
  return 0;
}

}  // namespace
}  // namespace miwake::bench

int main(int argc, char** argv) {
  try {
    return miwake::bench::Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "miwake_mismatch_bench: %s\n", e.what());
    return 1;
  }
}
