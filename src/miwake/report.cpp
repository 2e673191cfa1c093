#include "miwake/report.h"

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstring>

#include "common/encoding.h"
#include "common/text.h"
#include "identify/kinds.h"
#include "miwake/messages.h"

namespace miwake {
namespace {

using nlohmann::ordered_json;

// Large enough that a run of thousands of files makes few writes.
constexpr std::size_t kPendingLimit = 1 << 16;

void AppendJson(std::string& out, const ordered_json& value) {
  out += value.dump(-1, ' ', false, ordered_json::error_handler_t::replace);
}

// The bytes that JSON text cannot hold as they are: the control bytes, the
// quote and the backslash.
constexpr auto kEscaped = [] {
  std::array<bool, 256> escaped{};
  for (int b = 0; b < 0x20; ++b) escaped[b] = true;
  escaped['"'] = escaped['\\'] = true;
  return escaped;
}();

bool NeedsEscape(std::string_view text) {
  for (const char c : text)
    if (kEscaped[static_cast<unsigned char>(c)]) return true;
  return false;
}

const char* StepName(RenameStep step) {
  switch (step) {
    case RenameStep::kListed:
      return nullptr;
    case RenameStep::kDryRun:
      return "dry_run";
    case RenameStep::kRenamed:
      return "renamed";
    case RenameStep::kTargetExists:
      return "target_exists";
    case RenameStep::kNotRecorded:
      return "not_recorded";
    case RenameStep::kFailed:
      return "failed";
  }
  return nullptr;
}

const char* UndoName(UndoOutcome outcome) {
  switch (outcome) {
    case UndoOutcome::kRestored:
      return "restored";
    case UndoOutcome::kAlreadyOriginal:
      return "already_original";
    case UndoOutcome::kNameTaken:
      return "name_taken";
    case UndoOutcome::kMissing:
      return "missing";
    case UndoOutcome::kFailed:
      return "failed";
    case UndoOutcome::kNotTheSameFile:
      return "not_the_same_file";
    case UndoOutcome::kDuplicateRemoved:
      return "duplicate_removed";
  }
  return "";
}

class TextReport final : public Report {
  using Report::Report;

  void FileLines(const BatchItem& item, const std::optional<Rename>& rename) override {
    // The error stream says why; the sentence of a file in use would not.
    if (item.code == kKindUnreadable) return;
    if (style_.with_names) line_ += Name(item.path) + ": ";
    line_ += KindFields(item.code);
    if (rename)
      line_ += " (claims " + rename->verdict.claimed + ", is " + rename->verdict.content + ')';
    line_ += '\n';
    if (style_.explain) Explanation(item, rename);
    if (rename && rename->step == RenameStep::kRenamed)
      line_ += "  renamed to " + Name(rename->to) + '\n';
    if (rename && rename->step == RenameStep::kDryRun)
      line_ += "  would be renamed to " + Name(rename->to) + '\n';
  }
  void SummaryLines(const RunTally& tally) override {
    line_ += Count(tally.files, "file", "files") + ", " + std::to_string(tally.mismatches) +
             " mismatched, " + std::to_string(tally.claiming_nothing) + " claiming nothing\n";
    for (const auto& [code, count] : tally.kinds) {
      std::string n = std::to_string(count);
      line_ += std::string(n.size() < 8 ? 8 - n.size() : 0, ' ') + n + "  " +
               (code == kKindUnreadable ? std::string("(not read)") : Text(*KindLabel(code))) +
               '\n';
    }
    if (tally.journal)
      line_ += std::to_string(tally.renamed) + " renamed; journal " + Name(*tally.journal) + '\n';
    std::string left_out;
    for (std::size_t why = 1; why < kLeftOutReasons; ++why)
      if (tally.left_out[why] != 0)
        left_out += (left_out.empty() ? "" : ", ") + std::to_string(tally.left_out[why]) + ' ' +
                    std::string(LeftOutText(static_cast<miwake::LeftOut>(why)));
    if (!left_out.empty()) line_ += "left out: " + left_out + " (--all takes them)\n";
  }
  void LeftOutLines(const BatchItem& item) override {
    line_ += Name(item.path) + ": left out (" +
             std::string(LeftOutText(static_cast<miwake::LeftOut>(item.error))) +
             "; --all takes it)\n";
  }
  void UndoLines(const UndoItem& item) override {
    // Names not given back are told on the error stream only.
    if (item.outcome != UndoOutcome::kRestored && item.outcome != UndoOutcome::kAlreadyOriginal &&
        item.outcome != UndoOutcome::kDuplicateRemoved)
      return;
    line_ += Name(item.renamed) + " -> " + Name(item.original);
    if (item.outcome == UndoOutcome::kAlreadyOriginal) line_ += " (had it already)";
    if (item.outcome == UndoOutcome::kDuplicateRemoved)
      line_ += " (had both names: the new one removed)";
    line_ += '\n';
  }
  std::string MakeKindFields(int code) const override {
    return Text(IdentifySentence(code).value_or(std::string()));
  }
  void Explanation(const BatchItem& item, const std::optional<Rename>& rename) {
    const KindReasons& why = item.why;
    line_ += "  " + std::to_string(why.block_size) + " bytes read, " +
             std::to_string(why.text_bytes) + " of them text";
    if (!why.signature.empty())
      line_ +=
          "; signature \"" + Text(why.signature) + "\" at " + std::to_string(why.signature_offset);
    if (!why.app_name.empty())
      line_ +=
          "; application \"" + Text(why.app_name) + "\" at " + std::to_string(why.app_name_offset);
    if (why.original_filename)
      line_ += "; OriginalFilename \"" + Text(*why.original_filename) + '"';
    if (!item.type.empty()) line_ += "; type " + item.type;
    if (item.magic)
      line_ += " by its magic of priority " + std::to_string(item.magic->priority) + " at " +
               std::to_string(item.magic->offset);
    if (rename) line_ += "; the name matched \"" + Name(rename->verdict.pattern) + '"';
    line_ += '\n';
  }
};

class JsonReport final : public Report {
  using Report::Report;

  void FileLines(const BatchItem& item, const std::optional<Rename>& rename) override {
    line_ += '{';
    JsonName("path", item.path);
    line_ += KindFields(item.code);
    line_ += ",\"type\":";
    if (item.type.empty()) {
      line_ += "null";
    } else if (NeedsEscape(item.type)) {
      AppendJson(line_, item.type);
    } else {
      // What the library would write, without making a value of it first.
      line_ += '"';
      line_ += item.type;
      line_ += '"';
    }
    if (item.code == kKindUnreadable) {
      line_ += ",\"error\":";
      AppendJson(line_, CauseText(item.error));
    }
    if (rename) {
      line_ += ",\"claims\":";
      AppendJson(line_, rename->verdict.claimed);
    }
    if (style_.explain) Explanation(item, rename);
    if (rename) {
      line_ += ",\"rename\":{";
      JsonName("to", rename->to);
      if (const char* step = StepName(rename->step)) {
        line_ += ",\"outcome\":\"";
        line_ += step;
        line_ += '"';
      }
      line_ += '}';
    }
    line_ += "}\n";
  }
  void SummaryLines(const RunTally& tally) override {
    ordered_json kinds = ordered_json::array();
    for (const auto& [code, count] : tally.kinds) {
      const auto label = KindLabel(code);
      kinds.push_back({{"code", code},
                       {"label", label ? ordered_json(Cp932ToUtf8(*label)) : nullptr},
                       {"files", count}});
    }
    ordered_json j;
    j["files"] = tally.files;
    j["mismatches"] = tally.mismatches;
    j["claims_nothing"] = tally.claiming_nothing;
    j["kinds"] = std::move(kinds);
    if (tally.journal) j["renamed"] = tally.renamed;
    if (std::ranges::any_of(tally.left_out, [](std::size_t n) { return n != 0; })) {
      ordered_json left_out;
      for (std::size_t why = 1; why < kLeftOutReasons; ++why)
        left_out[LeftOutKey(static_cast<miwake::LeftOut>(why))] = tally.left_out[why];
      j["left_out"] = std::move(left_out);
    }
    line_ += "{\"summary\":";
    AppendJson(line_, j);
    line_.pop_back();
    if (tally.journal) {
      line_ += ',';
      JsonName("journal", *tally.journal);
    }
    line_ += "}}\n";
  }
  void UndoLines(const UndoItem& item) override {
    line_ += '{';
    JsonName("original", item.original);
    line_ += ',';
    JsonName("renamed", item.renamed);
    line_ += ",\"outcome\":\"";
    line_ += UndoName(item.outcome);
    line_ += "\"}\n";
  }
  void LeftOutLines(const BatchItem& item) override {
    line_ += '{';
    JsonName("path", item.path);
    line_ += ",\"left_out\":\"";
    line_ += LeftOutKey(static_cast<miwake::LeftOut>(item.error));
    line_ += "\"}\n";
  }
  std::string MakeKindFields(int code) const override {
    const auto label = KindLabel(code);
    // Only for a kind: a file that was not read is no file in use.
    const auto sentence = label ? IdentifySentence(code) : std::nullopt;
    ordered_json j;
    j["code"] = code;
    j["extension"] = KindExtension(code);
    j["label"] = label ? ordered_json(Cp932ToUtf8(*label)) : ordered_json(nullptr);
    j["sentence"] = sentence ? ordered_json(Cp932ToUtf8(*sentence)) : ordered_json(nullptr);
    std::string fields;
    AppendJson(fields, j);
    fields.front() = ',';
    fields.pop_back();
    return fields;
  }
  void Explanation(const BatchItem& item, const std::optional<Rename>& rename) {
    const KindReasons& why = item.why;
    const auto text_or_null = [](const std::string& s) {
      return s.empty() ? ordered_json(nullptr) : ordered_json(Cp932ToUtf8(s));
    };
    ordered_json j;
    j["block_size"] = why.block_size;
    j["text_bytes"] = why.text_bytes;
    j["signature"] = text_or_null(why.signature);
    j["signature_offset"] = why.signature_offset;
    j["app_name"] = text_or_null(why.app_name);
    j["app_name_offset"] = why.app_name_offset;
    j["original_filename"] =
        why.original_filename ? ordered_json(Cp932ToUtf8(*why.original_filename)) : nullptr;
    j["magic"] = item.magic ? ordered_json{{"type", item.magic->type},
                                           {"priority", item.magic->priority},
                                           {"offset", item.magic->offset}}
                            : ordered_json(nullptr);
    if (rename) j["glob"] = rename->verdict.pattern;
    line_ += ",\"explain\":";
    AppendJson(line_, j);
  }
  // Whether a POSIX name is UTF-8 that JSON holds as it is. The files of a
  // folder come together: the folder's part is checked once.
  bool PlainUtf8(std::string_view name) {
    // '/' is no byte of a longer UTF-8 sequence, so both parts can be checked
    // on their own.
    const std::size_t leaf = name.rfind('/') + 1;
    const std::string_view folder = name.substr(0, leaf);
    if (folder != plain_folder_) {
      if (!IsUtf8(folder) || NeedsEscape(folder)) return false;
      plain_folder_ = folder;
    }
    return IsUtf8(name.substr(leaf)) && !NeedsEscape(name.substr(leaf));
  }
  void JsonName(std::string_view key, std::string_view name) {
    line_ += '"';
    line_ += key;
    line_ += "\":";
    if (PlainUtf8(name)) {
      // What the library would write.
      line_ += '"';
      line_ += name;
      line_ += '"';
      return;
    }
    const bool exact = IsUtf8(name);
    AppendJson(line_, exact ? std::string(name) : LossyUtf8(name));
    if (exact) return;
    line_ += ",\"";
    line_ += key;
    line_ += "_bytes\":\"";
    line_ += Base64(name);
    line_ += '"';
  }

  std::string plain_folder_;  // the last folder part PlainUtf8 found plain
};

}  // namespace

std::unique_ptr<Report> MakeReport(std::ostream& out, std::ostream& err, const ReportStyle& style) {
  if (style.json) return std::make_unique<JsonReport>(out, err, style);
  return std::make_unique<TextReport>(out, err, style);
}

Report::Report(std::ostream& out, std::ostream& err, const ReportStyle& style)
    : style_(style),
      out_(out),
      err_(err),
      // The progress line shows folders as the text output does.
      names_(!style.windows_names ? NameStyle::kPosix
             : style.name_text    ? NameStyle::kWindows
                                  : NameStyle::kWindowsUtf8) {}

std::string Report::ShownName(std::string_view name, bool escape) const {
  std::string shown = style_.name_text ? style_.name_text(name) : std::string(name);
  return escape ? EscapedForTerminal(shown, !style_.windows_names) : shown;
}

std::string Report::Name(std::string_view name) const {
  return ShownName(name, style_.escape_out);
}

std::string Report::ErrName(std::string_view name) const {
  return ShownName(name, style_.escape_err);
}

std::string Report::Text(std::string_view cp932) const {
  return style_.utf8_texts ? Cp932ToUtf8(cp932) : std::string(cp932);
}

const std::string& Report::KindFields(int code) {
  // The same few kinds come again and again: their fields are made once.
  auto [it, added] = kind_fields_.try_emplace(code);
  if (added) it->second = MakeKindFields(code);
  return it->second;
}

void Report::File(const BatchItem& item, const std::optional<Rename>& rename) {
  FileLines(item, rename);
  EndLine();
  if (item.code == kKindUnreadable) NotRead(item);
  if (!rename) return;
  switch (rename->step) {
    case RenameStep::kTargetExists:
      ErrorLine(item.path, "not renamed: \"" + ErrName(rename->to) + "\" exists");
      break;
    case RenameStep::kNotRecorded:
      ErrorLine(item.path, "not renamed: the journal could not be written");
      break;
    case RenameStep::kFailed:
      ErrorLine(item.path, "not renamed: " + CauseText(rename->error));
      break;
    default:
      break;
  }
}

void Report::LeftOut(const BatchItem& item) {
  LeftOutLines(item);
  EndLine();
}

void Report::NotRead(const BatchItem& item) {
  ErrorLine(item.path, "not read: " + CauseText(item.error));
}

void Report::Problem(const BatchItem& item) {
  switch (item.state) {
    case ItemState::kEmptyName:
      return ErrorLine(item.path, "empty name");
    case ItemState::kMissing:
      // Not found, or not reached: a folder on the way refused, a loop.
      if (item.error == kNoFileMatches) return ErrorLine(item.path, CauseText(item.error));
      return ErrorLine(item.path, item.error == 0 || item.error == 2 || item.error == 3
                                      ? "no such file"
                                      : "not found: " + CauseText(item.error));
    case ItemState::kFolderNotWalked:
      return ErrorLine(item.path, "a folder (-r walks it)");
    case ItemState::kNotRegular:
      return ErrorLine(item.path, "not a regular file");
    case ItemState::kUnreadableFolder:
      return ErrorLine(item.path, "folder not read: " + CauseText(item.error));
    case ItemState::kDevice:
      return ErrorLine(item.path, "a device's name on Windows: not opened");
    case ItemState::kFile:
    case ItemState::kLeftOut:
      return;
  }
}

void Report::ErrorLine(std::string_view name, std::string_view shown) {
  // What went before it comes out before it.
  if (progress_) progress_->Clear();
  Flush();
  err_ << "miwake: \"" << ErrName(name) << "\": " << shown << '\n';
  if (!err_) failed_ = true;
}

void Report::Summary(const RunTally& tally) {
  SummaryLines(tally);
  EndLine();
}

void Report::Undo(const UndoItem& item) {
  UndoLines(item);
  EndLine();
  switch (item.outcome) {
    case UndoOutcome::kRestored:
    case UndoOutcome::kAlreadyOriginal:
    case UndoOutcome::kDuplicateRemoved:
      return;
    case UndoOutcome::kNotTheSameFile:
      return ErrorLine(item.renamed, "not renamed back: it is not the file that was renamed");
    case UndoOutcome::kNameTaken:
      return ErrorLine(item.renamed, "not renamed back: \"" + ErrName(item.original) + "\" exists");
    case UndoOutcome::kMissing:
      return ErrorLine(item.renamed, "not renamed back: no such file");
    case UndoOutcome::kFailed:
      return ErrorLine(item.renamed, "not renamed back to \"" + ErrName(item.original) + '"');
  }
}

void Report::ShowProgress(ProgressLine::Time start) {
  progress_.emplace(err_, names_, start);
}

void Report::Progress(std::size_t done, std::string_view folder) {
  if (!progress_) return;
  const auto now = SteadyMilliseconds();
  if (!progress_->Due(now)) return;
  // The output goes first, so that the line is drawn below it.
  Flush();
  progress_->Draw(done, style_.name_text ? style_.name_text(folder) : std::string(folder), now);
}

void Report::Finish() {
  if (progress_) progress_->Clear();
  Flush();
}

void Report::EndLine() {
  pending_ += line_;
  line_.clear();
  if (style_.flush_lines || pending_.size() >= kPendingLimit) Flush();
}

void Report::Flush() {
  if (pending_.empty()) return;
  // Lines for the terminal must not be written onto the progress line.
  if (progress_ && style_.flush_lines) progress_->Clear();
  errno = 0;
  out_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
  out_.flush();
  pending_.clear();
  if (out_ || failed_) return;
  // Said once; what follows would be lost the same way.
  failed_ = true;
  const int error = errno;
  err_ << "miwake: write error on the output";
  if (error != 0) {
    std::string cause = std::strerror(error);
    cause.front() = LowerAscii(cause.front());
    err_ << ": " << cause;
  }
  err_ << '\n';
}

}  // namespace miwake
