#include "miwake/rename_journal.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string_view>

#include "miwake/journal_file.h"

namespace miwake {
namespace {

constexpr std::string_view kHeader = "miwake rename journal 1\n";
constexpr std::string_view kHex = "0123456789ABCDEF";

bool Escaped(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == '%';
}

void AppendName(std::string& line, std::string_view name) {
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (Escaped(byte)) {
      line += '%';
      line += kHex[byte >> 4];
      line += kHex[byte & 0xF];
    } else {
      line += c;
    }
  }
}

std::optional<std::string> ParseName(std::string_view text) {
  std::string name;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (Escaped(byte) && byte != '%') return std::nullopt;
    if (byte != '%') {
      name += text[i];
      continue;
    }
    if (text.size() - i < 3) return std::nullopt;
    const auto high = kHex.find(text[i + 1]), low = kHex.find(text[i + 2]);
    if (high == std::string_view::npos || low == std::string_view::npos) return std::nullopt;
    name += static_cast<char>(high << 4 | low);
    i += 2;
  }
  return name;
}

class FileRenameJournal final : public RenameJournal {
 public:
  explicit FileRenameJournal(std::unique_ptr<JournalFile> file) : file_(std::move(file)) {}

  bool Record(const std::string& from, const std::string& to) override {
    // After a failed write the file may end in part of a line, which the
    // next line would complete into a false pair: nothing more is written.
    if (broken_) return false;
    std::string line;
    AppendName(line, from);
    line += '\t';
    AppendName(line, to);
    line += '\n';
    broken_ = !file_->Append(line);
    return !broken_;
  }

 private:
  std::unique_ptr<JournalFile> file_;
  bool broken_ = false;
};

bool Exists(FileSystem& files, const std::string& name) {
  return files.FileExists(name) || files.FolderExists(name);
}

std::optional<std::string> ReadAll(FileSystem& files, const std::string& path) {
  const auto file = files.OpenForReading(path);
  if (!file) return std::nullopt;
  std::string text;
  std::array<std::uint8_t, 65536> buffer;
  for (;;) {
    const auto got = file->Read(buffer);
    if (!got) return std::nullopt;
    text.append(reinterpret_cast<const char*>(buffer.data()), *got);
    if (*got < buffer.size()) return text;
  }
}

UndoOutcome Undo(FileSystem& files, const std::string& original, const std::string& renamed) {
  const bool has_original = Exists(files, original), has_renamed = Exists(files, renamed);
  if (has_original) return has_renamed ? UndoOutcome::kNameTaken : UndoOutcome::kAlreadyOriginal;
  if (!has_renamed) return UndoOutcome::kMissing;
  return files.Rename(renamed, original) ? UndoOutcome::kRestored : UndoOutcome::kFailed;
}

}  // namespace

std::unique_ptr<RenameJournal> CreateRenameJournal(const std::string& path, std::string& error) {
  // A journal cut short in its header reads as one without pairs.
  auto file = CreateJournalFile(path, kHeader, error);
  if (!file) return nullptr;
  return std::make_unique<FileRenameJournal>(std::move(file));
}

std::string DefaultJournalName() {
  const std::tm local = LocalTime(std::time(nullptr));
  char name[64];
  std::strftime(name, sizeof name, "miwake-%Y%m%d-%H%M%S.journal", &local);
  return name;
}

FixOutcome FixName(FileSystem& files, RenameJournal& journal, const std::string& from,
                   const std::string& to) {
  // Checked first so that the journal holds no pair that was refused anyway;
  // Rename itself still refuses a name taken in between.
  if (Exists(files, to)) return FixOutcome::kTargetExists;
  if (!journal.Record(from, to)) return FixOutcome::kNotRecorded;
  if (files.Rename(from, to)) return FixOutcome::kRenamed;
  return Exists(files, to) ? FixOutcome::kTargetExists : FixOutcome::kFailed;
}

UndoResult UndoRenames(FileSystem& files, const std::string& journal_path) {
  UndoResult result;
  const auto text = ReadAll(files, journal_path);
  if (!text) {
    result.error = ErrorTextForStderr(files.LastError());
    return result;
  }
  if (!text->starts_with(kHeader) && !kHeader.starts_with(*text)) {
    result.error = "not a miwake rename journal";
    return result;
  }
  result.read = true;
  std::string_view rest = std::string_view(*text).substr(std::min(text->size(), kHeader.size()));
  std::vector<std::pair<std::string, std::string>> pairs;
  // A last line without its LF was cut short by a crash.
  for (auto end = rest.find('\n'); end != std::string_view::npos; end = rest.find('\n')) {
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    const auto tab = line.find('\t');
    if (tab == std::string_view::npos) continue;
    auto original = ParseName(line.substr(0, tab)), renamed = ParseName(line.substr(tab + 1));
    if (original && renamed) pairs.emplace_back(std::move(*original), std::move(*renamed));
  }
  for (auto pair = pairs.rbegin(); pair != pairs.rend(); ++pair)
    result.items.push_back({pair->first, pair->second, Undo(files, pair->first, pair->second)});
  return result;
}

}  // namespace miwake
