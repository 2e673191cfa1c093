#include "miwake/report.h"

#include <array>
#include <nlohmann/json.hpp>

#include "common/encoding.h"
#include "common/io_error_text.h"
#include "identify/kinds.h"

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
    if (style_.with_names) line_ += Name(item.path) + ": ";
    line_ += KindFields(item.code);
    if (rename)
      line_ += " (claims " + rename->verdict.claimed + ", is " + rename->verdict.content + ')';
    line_ += '\n';
    if (style_.explain) Explanation(item.why, rename);
    if (rename && rename->step == RenameStep::kRenamed)
      line_ += "  renamed to " + Name(rename->to) + '\n';
    if (rename && rename->step == RenameStep::kDryRun)
      line_ += "  would be renamed to " + Name(rename->to) + '\n';
  }
  void SummaryLines(const RunTally& tally) override {
    line_ += std::to_string(tally.files) + " files, " + std::to_string(tally.mismatches) +
             " mismatched, " + std::to_string(tally.claiming_nothing) + " claiming nothing\n";
    for (const auto& [code, count] : tally.kinds) {
      std::string n = std::to_string(count);
      line_ += std::string(n.size() < 8 ? 8 - n.size() : 0, ' ') + n + "  " +
               Text(KindLabel(code).value_or("判別不能")) + '\n';
    }
    if (tally.journal)
      line_ += std::to_string(tally.renamed) + " renamed; journal " + Name(*tally.journal) + '\n';
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
  void Explanation(const KindReasons& why, const std::optional<Rename>& rename) {
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
    if (rename) {
      line_ += ",\"claims\":";
      AppendJson(line_, rename->verdict.claimed);
      line_ += ",\"type\":";
      AppendJson(line_, rename->verdict.content);
    }
    if (style_.explain) Explanation(item.why, rename);
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
  std::string MakeKindFields(int code) const override {
    const auto label = KindLabel(code);
    const auto sentence = IdentifySentence(code);
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
  void Explanation(const KindReasons& why, const std::optional<Rename>& rename) {
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
    if (!style_.cp932_names && PlainUtf8(name)) {
      // What the library would write.
      line_ += '"';
      line_ += name;
      line_ += '"';
      return;
    }
    const bool exact = style_.cp932_names || IsUtf8(name);
    AppendJson(line_, style_.cp932_names ? Cp932ToUtf8(name)
                      : exact            ? std::string(name)
                                         : LossyUtf8(name));
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
      names_(style.cp932_names ? NameStyle::kWindows : NameStyle::kPosix) {}

std::string Report::Name(std::string_view name) const {
  return style_.cp932_names && style_.utf8_texts ? Cp932ToUtf8(name) : std::string(name);
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
  if (!rename) return;
  switch (rename->step) {
    case RenameStep::kTargetExists:
      ErrorLine(item.path, "not renamed: \"" + Name(rename->to) + "\" exists");
      break;
    case RenameStep::kNotRecorded:
      Error(item.path, "not renamed: the journal could not be written");
      break;
    case RenameStep::kFailed:
      Error(item.path, "not renamed: " + IoErrorText(rename->error));
      break;
    default:
      break;
  }
}

void Report::Problem(const BatchItem& item) {
  switch (item.state) {
    case ItemState::kEmptyName:
      return Error(item.path, "ファイル名を入力して下さい！");
    case ItemState::kMissing:
      return Error(item.path, "ファイルが存在しません！");
    case ItemState::kNotRegular:
      return Error(item.path, "not a regular file");
    case ItemState::kUnreadableFolder:
      return Error(item.path, "folder not read: " + IoErrorText(item.error));
    case ItemState::kFile:
      return;
  }
}

void Report::Error(std::string_view name, std::string_view text) {
  ErrorLine(name, Text(text));
}

void Report::ErrorLine(std::string_view name, std::string_view shown) {
  // What went before it comes out before it.
  if (progress_) progress_->Clear();
  Flush();
  err_ << "miwake: \"" << Name(name) << "\": " << shown << '\n';
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
      return ErrorLine(item.renamed, "not renamed back: \"" + Name(item.original) + "\" exists");
    case UndoOutcome::kMissing:
      return Error(item.renamed, "not renamed back: ファイルが存在しません！");
    case UndoOutcome::kFailed:
      return ErrorLine(item.renamed, "not renamed back to \"" + Name(item.original) + '"');
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
  progress_->Draw(done, folder, now);
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
  out_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
  out_.flush();
  pending_.clear();
}

}  // namespace miwake
