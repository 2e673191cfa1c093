#include "corpus.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "common/unique_fd_posix.h"
#include "identify/signatures.h"

namespace miwake::bench {
namespace {

// What an interrupted run must still remove. The vector never grows past
// its reserved size, so the signal handler never sees a moved buffer.
constexpr std::size_t kMaxTempFiles = 16384;
std::vector<std::string> g_temp_files;
std::atomic<std::size_t> g_temp_file_count{0};
std::string g_temp_folder;
std::atomic<bool> g_temp_folder_live{false};

extern "C" void RemoveTempFolderAndReraise(int sig) {
  const std::size_t n = g_temp_file_count.load(std::memory_order_acquire);
  for (std::size_t i = 0; i < n; ++i) ::unlink(g_temp_files[i].c_str());
  if (g_temp_folder_live.load(std::memory_order_acquire)) ::rmdir(g_temp_folder.c_str());
  ::signal(sig, SIG_DFL);
  ::raise(sig);
}

void InstallCleanupHandlers() {
  struct sigaction action {};
  action.sa_handler = RemoveTempFolderAndReraise;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(sig, &action, nullptr);
}

[[noreturn]] void ThrowErrno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

void Put(Bytes& b, std::size_t at, std::string_view s) {
  if (at + s.size() <= b.size()) std::memcpy(b.data() + at, s.data(), s.size());
}
void Put16(Bytes& b, std::size_t at, std::uint32_t v) {
  if (at + 2 <= b.size())
    for (int i = 0; i < 2; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  if (at + 4 <= b.size())
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void WriteAll(int fd, const std::uint8_t* data, std::size_t size, const std::string& path) {
  while (size > 0) {
    const ssize_t put = ::write(fd, data, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      ThrowErrno("write " + path);
    }
    data += put;
    size -= static_cast<std::size_t>(put);
  }
}

UniqueFd CreateFile(const std::string& path) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (!fd) ThrowErrno("create " + path);
  return fd;
}

// ---- Small files, one maker per family ----

constexpr std::array<std::string_view, 32> kWords{
    "the",  "kind",  "of",     "a",    "file",   "is",     "told",   "by",
    "its",  "bytes", "not",    "name", "window", "folder", "report", "data",
    "and",  "to",    "in",     "for",  "with",   "list",   "value",  "time",
    "page", "line",  "number", "open", "close",  "read",   "size",   "table"};

Bytes MakeText(SplitMix64& rng, std::size_t size) {
  const std::string_view eol = rng.Below(2) ? "\r\n" : "\n";
  std::string s;
  std::size_t line = 0;
  while (s.size() < size) {
    std::string_view w = kWords[rng.Below(kWords.size())];
    s += w;
    line += w.size();
    if (line > 50 + rng.Below(30)) {
      s += rng.Below(3) == 0 ? "." : "";
      s += eol;
      line = 0;
    } else {
      s += rng.Below(8) == 0 ? ", " : " ";
    }
  }
  return Bytes(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(size));
}

// Hiragana, katakana and kanji as double bytes, with ASCII digits and
// punctuation; every byte of it counts as text.
Bytes MakeShiftJisText(SplitMix64& rng, std::size_t size) {
  Bytes b;
  b.reserve(size + 4);
  std::size_t line = 0;
  auto trail = [&] {
    const auto t = static_cast<std::uint8_t>(rng.Between(0x40, 0xFC));
    return t == 0x7F ? std::uint8_t{0x80} : t;
  };
  while (b.size() < size) {
    switch (rng.Below(10)) {
      case 0:
        b.push_back(static_cast<std::uint8_t>('0' + rng.Below(10)));
        break;
      case 1:
        b.insert(b.end(), {0x81, static_cast<std::uint8_t>(rng.Below(2) ? 0x41 : 0x42)});
        break;
      case 2:
      case 3:
        b.insert(b.end(), {0x83, static_cast<std::uint8_t>(rng.Between(0x40, 0x7E))});
        break;
      case 4:
      case 5:
      case 6:
        b.insert(b.end(), {0x82, static_cast<std::uint8_t>(rng.Between(0x9F, 0xF1))});
        break;
      default:
        b.insert(b.end(), {static_cast<std::uint8_t>(rng.Between(0x88, 0x9F)), trail()});
        break;
    }
    if (++line > 30 + rng.Below(20)) {
      b.insert(b.end(), {'\r', '\n'});
      line = 0;
    }
  }
  b.resize(size);
  return b;
}

Bytes Random(SplitMix64& rng, std::size_t size) {
  Bytes b(size);
  rng.Fill(b);
  return b;
}

Bytes MakeBitmap(SplitMix64& rng, std::size_t size) {
  Bytes b = Random(rng, size);
  std::fill_n(b.begin(), std::min<std::size_t>(54, size), 0);
  Put(b, 0, "BM");
  Put32(b, 2, static_cast<std::uint32_t>(size));
  Put32(b, 10, 54);
  Put32(b, 14, 40);
  Put32(b, 18, 32);
  Put32(b, 22, 32);
  Put16(b, 26, 1);
  Put16(b, 28, 24);
  return b;
}

Bytes MakeGif(SplitMix64& rng, std::size_t size) {
  Bytes b = Random(rng, size);
  Put(b, 0, "GIF89a");
  Put16(b, 6, 64);
  Put16(b, 8, 48);
  Put(b, 10, "\xF7\x00\x00");
  return b;
}

Bytes MakeJpeg(SplitMix64& rng, std::size_t size) {
  Bytes b = Random(rng, size);
  Put(b, 0,
      std::string_view("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20));
  Put(b, 20, "\xFF\xDB");
  return b;
}

Bytes MakeZip(SplitMix64& rng, std::size_t size) {
  Bytes b = Random(rng, size);
  Put(b, 0, std::string_view("PK\x03\x04\x14\x00\x00\x00\x08\x00", 10));
  Put16(b, 26, 12);
  Put16(b, 28, 0);
  Put(b, 30, "readme.txt\x00\x00");
  return b;
}

Bytes MakeCabinet(SplitMix64& rng, std::size_t size) {
  Bytes b = Random(rng, size);
  std::fill_n(b.begin(), std::min<std::size_t>(36, size), 0);
  Put(b, 0, "MSCF");
  Put32(b, 8, static_cast<std::uint32_t>(size));
  Put32(b, 16, 44);
  Put(b, 24, "\x03\x01");
  Put16(b, 26, 1);
  Put16(b, 28, 1);
  return b;
}

Bytes MakeLzh(SplitMix64& rng, std::size_t size) {
  Bytes b = Random(rng, size);
  b[0] = 0x22;
  Put(b, 2, "-lh5-");
  Put32(b, 7, static_cast<std::uint32_t>(size - 36));
  Put32(b, 11, static_cast<std::uint32_t>(size * 2));
  Put(b, 21, "\x01\x0Breadme.txt");
  return b;
}

Bytes MakeMidi(SplitMix64& rng, std::size_t size) {
  Bytes b(size);
  Put(b, 0, std::string_view("MThd\x00\x00\x00\x06\x00\x01\x00\x02\x01\xE0MTrk", 18));
  const auto track = static_cast<std::uint32_t>(size - 22);
  for (int i = 0; i < 4; ++i) b[18 + i] = static_cast<std::uint8_t>(track >> (24 - 8 * i));
  for (std::size_t at = 22; at + 4 <= size; at += 4) {
    b[at] = static_cast<std::uint8_t>(rng.Below(0x80));
    b[at + 1] = static_cast<std::uint8_t>(0x90 | rng.Below(16));
    b[at + 2] = static_cast<std::uint8_t>(rng.Between(0x30, 0x54));
    b[at + 3] = static_cast<std::uint8_t>(rng.Between(0x40, 0x7F));
  }
  return b;
}

Bytes MakeWave(SplitMix64& rng, std::size_t size) {
  Bytes b = Random(rng, size);
  Put(b, 0, "RIFF");
  Put32(b, 4, static_cast<std::uint32_t>(size - 8));
  Put(b, 8, "WAVEfmt ");
  Put32(b, 16, 16);
  Put16(b, 20, 1);
  Put16(b, 22, 2);
  Put32(b, 24, 44100);
  Put32(b, 28, 176400);
  Put16(b, 32, 4);
  Put16(b, 34, 16);
  Put(b, 36, "data");
  Put32(b, 40, static_cast<std::uint32_t>(size - 44));
  return b;
}

Bytes MakeExecutable(SplitMix64& rng, std::size_t size) {
  Bytes b = Random(rng, size);
  std::fill_n(b.begin(), std::min<std::size_t>(0x98, size), 0);
  Put(b, 0, std::string_view("MZ\x90\x00\x03\x00\x00\x00\x04\x00\x00\x00\xFF\xFF\x00\x00\xB8", 17));
  Put32(b, 0x3C, 0x80);
  Put(b, 0x4E, "This program cannot be run in DOS mode.\r\r\n$");
  Put(b, 0x80, std::string_view("PE\x00\x00\x4C\x01", 6));
  return b;
}

void PutCompoundHeader(Bytes& b) {
  std::fill_n(b.begin(), std::min<std::size_t>(512, b.size()), 0xFF);
  std::fill_n(b.begin(), std::min<std::size_t>(76, b.size()), 0);
  Put(b, 0, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  Put(b, 24, std::string_view("\x3E\x00\x03\x00\xFE\xFF\x09\x00\x06\x00", 10));
  Put32(b, 44, 1);
  Put32(b, 48, 1);
  Put32(b, 56, 4096);
  Put32(b, 60, 2);
}

Bytes MakeCompound(SplitMix64& rng, std::size_t size) {
  Bytes b = Random(rng, size);
  PutCompoundHeader(b);
  return b;
}

Bytes MakeWordCompound(SplitMix64& rng, std::size_t size) {
  Bytes b = MakeCompound(rng, size);
  constexpr std::string_view kName("Microsoft Word 97-2003 Document\x00", 32);
  Put(b, rng.Between(2100, static_cast<std::uint32_t>(size - kName.size())), kName);
  return b;
}

// The application's name anywhere past the first block, so that the search
// ends early in some files and reads others almost to the end; but not in
// the last 20 bytes, where no name is looked for.
template <int kEntry>
Bytes MakeNamedCompound(SplitMix64& rng, std::size_t size) {
  Bytes b = MakeCompound(rng, size);
  Put(b, rng.Between(2100, static_cast<std::uint32_t>(size - 21)), kSignatures[kEntry].bytes);
  return b;
}

Bytes MakePng(SplitMix64& rng, std::size_t size) {
  Bytes b = Random(rng, size);
  Put(b, 0, std::string_view("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16));
  return b;
}

Bytes MakeAvi(SplitMix64& rng, std::size_t size) {
  Bytes b = Random(rng, size);
  Put(b, 0, "RIFF");
  Put32(b, 4, static_cast<std::uint32_t>(size - 8));
  Put(b, 8, "AVI LIST");
  Put32(b, 16, 192);
  Put(b, 20, "hdrlavih");
  return b;
}

Bytes MakeRiffMidi(SplitMix64& rng, std::size_t size) {
  Bytes b = MakeMidi(rng, size);
  const Bytes midi(b.begin(), b.end() - 20);
  std::copy(midi.begin(), midi.end(), b.begin() + 20);
  Put(b, 0, "RIFF");
  Put32(b, 4, static_cast<std::uint32_t>(size - 8));
  Put(b, 8, "RMIDdata");
  Put32(b, 16, static_cast<std::uint32_t>(size - 20));
  return b;
}

Bytes MakeBinary(SplitMix64& rng, std::size_t size) {
  Bytes b = Random(rng, size);
  b[0] = 0;  // no signature at the start by chance
  return b;
}

constexpr std::array<Family, 20> kFamilies{{
    {"text", 1, 100, MakeText},
    {"shift-jis text", 1, 100, MakeShiftJisText},
    {"bmp", 103, 100, MakeBitmap},
    {"gif", 108, 100, MakeGif},
    {"jpeg", 107, 100, MakeJpeg},
    {"png", 0, 100, MakePng},
    {"zip", 110, 100, MakeZip},
    {"cab", 111, 100, MakeCabinet},
    {"lzh", 106, 100, MakeLzh},
    {"midi", 116, 100, MakeMidi},
    {"riff wave", 31, 100, MakeWave},
    {"riff avi", 32, 100, MakeAvi},
    {"riff midi", 33, 120, MakeRiffMidi},
    {"mz executable", 105, 300, MakeExecutable},
    {"compound", 0, 600, MakeCompound},
    {"compound with Word", 51, 2200, MakeWordCompound},
    {"compound with Excel", 52, 2200, MakeNamedCompound<kFirstAppName + 1>},
    {"compound with Ichitaro", 53, 2200, MakeNamedCompound<kFirstAppName + 2>},
    {"compound with PowerPoint", 54, 2200, MakeNamedCompound<kFirstAppName + 3>},
    {"random binary", 0, 100, MakeBinary},
}};

// The mix of the small files; its order and weights fix their bytes.
struct Share {
  std::string_view family;
  int weight;
};
constexpr std::array<Share, 14> kSmallFileMix{{
    {"text", 18},
    {"shift-jis text", 10},
    {"bmp", 6},
    {"gif", 6},
    {"jpeg", 8},
    {"zip", 8},
    {"cab", 4},
    {"lzh", 4},
    {"midi", 4},
    {"riff wave", 6},
    {"mz executable", 8},
    {"compound", 5},
    {"compound with Word", 5},
    {"random binary", 8},
}};

}  // namespace

TempFolder::TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
  pattern += "/miwake-bench-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) ThrowErrno("mkdtemp " + pattern);
  path_ = pattern;
  g_temp_files.clear();
  g_temp_files.reserve(kMaxTempFiles);
  g_temp_folder = path_;
  g_temp_folder_live.store(true, std::memory_order_release);
  InstallCleanupHandlers();
}

TempFolder::~TempFolder() {
  const std::size_t n = g_temp_file_count.exchange(0, std::memory_order_acq_rel);
  g_temp_folder_live.store(false, std::memory_order_release);
  for (std::size_t i = 0; i < n; ++i) ::unlink(g_temp_files[i].c_str());
  ::rmdir(path_.c_str());
}

std::string TempFolder::NewFile(const std::string& leaf) {
  if (g_temp_files.size() >= kMaxTempFiles) throw std::length_error("too many temporary files");
  g_temp_files.push_back(path_ + "/" + leaf);
  g_temp_file_count.store(g_temp_files.size(), std::memory_order_release);
  return g_temp_files.back();
}

void TempFolder::Flush() const {
  FlushFileSystemOf(path_);
}

const Family& FamilyNamed(std::string_view name) {
  for (const Family& f : kFamilies)
    if (f.name == name) return f;
  throw std::invalid_argument("no file family " + std::string(name));
}

void WriteFile(const std::string& path, std::span<const std::uint8_t> data) {
  UniqueFd fd = CreateFile(path);
  WriteAll(fd.get(), data.data(), data.size(), path);
  if (!fd.Close()) ThrowErrno("close " + path);
}

void FlushFileSystemOf(const std::string& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
#ifdef __linux__
  if (fd && ::syncfs(fd.get()) == 0) return;
#endif
  ::sync();
}

std::vector<CorpusFile> WriteSmallFiles(TempFolder& folder, int count, std::uint64_t seed) {
  SplitMix64 rng(seed);
  int total_weight = 0;
  for (const Share& share : kSmallFileMix) total_weight += share.weight;

  std::vector<CorpusFile> files;
  files.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    int pick = static_cast<int>(rng.Below(static_cast<std::uint32_t>(total_weight)));
    const Share* share = kSmallFileMix.data();
    while (pick >= share->weight) pick -= (share++)->weight;
    const Family* family = &FamilyNamed(share->family);
    // Sizes spread evenly on a log scale from ~100 B to 16 KiB.
    const double low = std::log(static_cast<double>(family->min_size));
    const auto size =
        static_cast<std::size_t>(std::exp(low + rng.Unit() * (std::log(16384.0) - low)));

    std::string leaf = "file" + std::to_string(100000 + i) + ".dat";
    std::string path = folder.NewFile(leaf);
    WriteFile(path, family->make(rng, size));
    files.push_back({std::move(path), family->expected_kind, family->name});
  }
  return files;
}

std::string WriteLargeCompoundFile(TempFolder& folder, std::uint64_t size, std::uint64_t seed) {
  constexpr std::string_view kName = "Microsoft PowerPoint";
  constexpr std::uint64_t kNameDistanceFromEnd = 100;
  const std::uint64_t name_at = size - kNameDistanceFromEnd;

  SplitMix64 rng(seed);
  const std::string path = folder.NewFile("large-compound.ppt");
  UniqueFd fd = CreateFile(path);
  Bytes chunk(1 << 20);
  std::uint8_t prev = 0;
  bool name_placed = false;
  for (std::uint64_t at = 0; at < size; at += chunk.size()) {
    chunk.resize(static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), size - at)));
    rng.Fill(chunk);
    // Break every "Mi" and every 0x88 0xEA so that no name can start in the
    // filler; the replacement bytes cannot start a name either.
    for (std::uint8_t& byte : chunk) {
      if (prev == 'M' && byte == 'i') byte = 'j';
      if (prev == 0x88 && byte == 0xEA) byte = 0xEB;
      prev = byte;
    }
    if (at == 0) PutCompoundHeader(chunk);
    if (name_at >= at && name_at + kName.size() <= at + chunk.size()) {
      Put(chunk, static_cast<std::size_t>(name_at - at), kName);
      name_placed = true;
    }
    WriteAll(fd.get(), chunk.data(), chunk.size(), path);
  }
  if (!fd.Close()) ThrowErrno("close " + path);
  if (!name_placed) throw std::invalid_argument("the name would straddle two chunks");
  return path;
}

bool ReadWholeFile(const std::string& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return false;
  std::vector<std::uint8_t> buffer(1 << 20);
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer.data(), buffer.size());
    if (got == 0) return true;
    if (got < 0 && errno != EINTR) return false;
  }
}

}  // namespace miwake::bench
