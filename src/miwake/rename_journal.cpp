#include "miwake/rename_journal.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string_view>

#include "common/encoding.h"
#include "miwake/journal_file.h"
#include "miwake/messages.h"
#include "miwake/windows_names.h"

namespace miwake {
namespace {

// Of version 1, then of the version written.
constexpr std::array<std::string_view, 2> kHeaders = {"miwake rename journal 1\n",
                                                      "miwake rename journal 2\n"};
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

std::vector<std::string_view> Split(std::string_view text, char at) {
  std::vector<std::string_view> parts;
  for (auto end = text.find(at); end != std::string_view::npos; end = text.find(at)) {
    parts.push_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  parts.push_back(text);
  return parts;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& number) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  return error == std::errc() && stop == end;
}

std::string IdentityText(const FileIdentity& id) {
  return std::to_string(id.device) + ':' + std::to_string(id.file) + ':' + std::to_string(id.size) +
         ':' + std::to_string(id.modified);
}

std::optional<FileIdentity> ParseIdentity(std::string_view text) {
  const auto parts = Split(text, ':');
  FileIdentity id;
  if (parts.size() == 4 && ParseNumber(parts[0], id.device) && ParseNumber(parts[1], id.file) &&
      ParseNumber(parts[2], id.size) && ParseNumber(parts[3], id.modified))
    return id;
  return std::nullopt;
}

struct Entry {
  std::string original, renamed;
  std::optional<FileIdentity> identity;  // none in version 1
};

std::optional<Entry> ParseLine(std::string_view line, bool with_identity) {
  const auto fields = Split(line, '\t');
  if (fields.size() != (with_identity ? 3u : 2u)) return std::nullopt;
  auto original = ParseName(fields[0]), renamed = ParseName(fields[1]);
  if (!original || !renamed) return std::nullopt;
  Entry entry{std::move(*original), std::move(*renamed), std::nullopt};
  if (with_identity && !(entry.identity = ParseIdentity(fields[2]))) return std::nullopt;
  return entry;
}

class FileRenameJournal final : public RenameJournal {
 public:
  explicit FileRenameJournal(std::unique_ptr<JournalFile> file) : file_(std::move(file)) {}

  bool Record(const std::string& from, const std::string& to,
              const FileIdentity& identity) override {
    // After a failed write the file may end in part of a line, which the
    // next line would complete into a false pair: nothing more is written.
    if (broken_) return false;
    std::string line;
    AppendName(line, from);
    line += '\t';
    AppendName(line, to);
    line += '\t' + IdentityText(identity) + '\n';
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

UndoOutcome Undo(FileSystem& files, const Entry& entry) {
  const auto& [original, renamed, recorded] = entry;
  const bool has_original = Exists(files, original), has_renamed = Exists(files, renamed);
  if (!has_renamed) return has_original ? UndoOutcome::kAlreadyOriginal : UndoOutcome::kMissing;
  const auto now = files.IdentityOf(renamed);
  if (!now) return UndoOutcome::kFailed;
  // A rename keeps all of it; a file made or changed since does not.
  const bool renamed_file = !recorded || *now == *recorded;
  if (has_original) {
    // One file under both names: a rename by link and unlink stopped in
    // between (NFS). Where the original name is another file, it stays.
    if (!renamed_file || files.IdentityOf(original) != now) return UndoOutcome::kNameTaken;
    return files.Delete(renamed) ? UndoOutcome::kDuplicateRemoved : UndoOutcome::kFailed;
  }
  if (!renamed_file) return UndoOutcome::kNotTheSameFile;
  return files.Rename(renamed, original) ? UndoOutcome::kRestored : UndoOutcome::kFailed;
}

std::unique_ptr<RenameJournal> Create(const std::string& path, std::string& error, bool& taken) {
  // A journal cut short in its header reads as one without pairs.
  auto file = CreateJournalFile(path, kHeaders.back(), error, taken);
  if (!file) return nullptr;
  return std::make_unique<FileRenameJournal>(std::move(file));
}

}  // namespace

std::unique_ptr<RenameJournal> CreateRenameJournal(const std::string& path, std::string& error) {
  bool taken = false;
  return Create(path, error, taken);
}

std::unique_ptr<RenameJournal> CreateUniqueRenameJournal(const std::string& stem, std::string& path,
                                                         std::string& error) {
  // The stem keeps other processes' journals apart; the count, those of runs
  // in the same second of this process (or of one that had its number).
  for (int count = 1; count <= 1000; ++count) {
    path = stem + (count > 1 ? '-' + std::to_string(count) : "") + ".journal";
    bool taken = false;
    if (auto journal = Create(path, error, taken)) return journal;
    if (!taken) return nullptr;
  }
  return nullptr;
}

std::string DefaultJournalStem() {
  const std::tm local = LocalTime(std::time(nullptr));
  char name[64];
  std::strftime(name, sizeof name, "miwake-%Y%m%d-%H%M%S-", &local);
  return name + std::to_string(ProcessId());
}

FixOutcome FixName(FileSystem& files, RenameJournal& journal, const std::string& from,
                   const std::string& to, int* error) {
  // Taken before the checks that follow a failure overwrite it.
  const auto failed = [&] {
    if (error != nullptr) *error = files.LastError();
    return FixOutcome::kFailed;
  };
  // Checked first so that the journal holds no pair that was refused anyway;
  // Rename itself still refuses a name taken in between.
  if (Exists(files, to)) return FixOutcome::kTargetExists;
  // Taken before the rename: once it is made, another file could have
  // `from`'s name and pass for it.
  const auto identity = files.IdentityOf(from);
  if (!identity) return failed();
  if (!journal.Record(from, to, *identity)) return FixOutcome::kNotRecorded;
  if (files.Rename(from, to)) return FixOutcome::kRenamed;
  const FixOutcome outcome = failed();
  return Exists(files, to) ? FixOutcome::kTargetExists : outcome;
}

UndoResult UndoRenames(FileSystem& files, const std::string& journal_path, bool windows_names) {
  UndoResult result;
  const auto text = ReadAll(files, journal_path);
  if (!text) {
    result.error = CauseText(files.LastError());
    return result;
  }
  const auto header =
      std::ranges::find_if(kHeaders, [&](std::string_view h) { return text->starts_with(h); });
  if (header == kHeaders.end()) {
    // A header cut short by a crash, before any rename.
    const bool cut = !text->empty() && std::ranges::any_of(kHeaders, [&](std::string_view h) {
      return h.starts_with(*text);
    });
    if (!cut) result.error = "not a miwake rename journal";
    result.read = cut;
    return result;
  }
  result.read = true;
  std::string_view rest = std::string_view(*text).substr(header->size());
  std::vector<Entry> entries;
  // A last line without its LF was cut short by a crash before its rename:
  // no damage, and not reported.
  std::size_t number = 1;
  for (auto end = rest.find('\n'); end != std::string_view::npos; end = rest.find('\n')) {
    auto entry = ParseLine(rest.substr(0, end), header != kHeaders.begin());
    rest.remove_prefix(end + 1);
    ++number;
    if (entry) {
      if (windows_names)
        for (std::string* name : {&entry->original, &entry->renamed})
          if (Wtf8FromUtf16(Utf16FromWtf8(*name)) != *name) *name = Cp932ToUtf8(*name);
      entries.push_back(std::move(*entry));
    } else {
      result.unreadable_lines.push_back(number);
    }
  }
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
    result.items.push_back({entry->original, entry->renamed, Undo(files, *entry)});
  return result;
}

}  // namespace miwake
