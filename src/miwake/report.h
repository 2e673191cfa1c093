// What a batch run prints: a sentence per file or a JSON object per line on
// the output, problems on the error stream, in the order of the run.
//
// Names in JSON: "path" is UTF-8 text (the name's bytes when they are UTF-8,
// else the bytes with U+FFFD for each one that starts no UTF-8 sequence:
// a Shift-JIS name on POSIX systems, a WTF-8 one on Windows), and only
// when that text is not the name's bytes, "path_bytes" carries them in
// base64. The same holds for "to", "original" and "renamed".
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "miwake/batch_item.h"
#include "miwake/names.h"
#include "miwake/progress_line.h"
#include "miwake/rename_journal.h"
#include "miwake/walk_policy.h"
#include "types/name_claim.h"

namespace miwake {

struct ReportStyle {
  bool json = false;
  bool with_names = false;  // a name before each sentence
  bool explain = false;
  bool utf8_texts = true;      // the program's own texts as UTF-8, else code page 932
  bool windows_names = false;  // "\\", "/" and ":" separate, in UTF-8 names (Windows)
  // A name as the text output shows it; null: as it is.
  std::function<std::string(std::string_view)> name_text = nullptr;
  bool flush_lines = false;  // every line out at once, for a person watching
  // Names on a terminal with their control bytes escaped.
  bool escape_out = false, escape_err = false;
};

// What became of a mismatched file's name.
enum class RenameStep { kListed, kDryRun, kRenamed, kTargetExists, kNotRecorded, kFailed };

// A file whose name lies: what the name claims, and its new name.
struct Rename {
  std::string to;
  RenameStep step;
  int error = 0;  // the system's code, for kFailed
  NameVerdict verdict;
};

struct RunTally {
  std::size_t files = 0, mismatches = 0, renamed = 0;
  std::size_t claiming_nothing = 0;  // names without a claim on their content
  std::map<int, std::size_t> kinds;
  std::optional<std::string> journal;  // when one was written
  LeftOutCounts left_out{};            // by the walk
};

// The run's output, text or JSON. Shared by both: the output held back and
// written in large pieces, the error stream's lines and the progress line.
class Report {
 public:
  Report(std::ostream& out, std::ostream& err, const ReportStyle& style);
  virtual ~Report() { Finish(); }
  Report(const Report&) = delete;
  Report& operator=(const Report&) = delete;

  // An item that was not classified, on the error stream.
  void Problem(const BatchItem& item);
  // A classified file, with what became of its name when it is a mismatch.
  void File(const BatchItem& item, const std::optional<Rename>& rename);
  // A file that could not be read (-1), on the error stream, with the cause.
  void NotRead(const BatchItem& item);
  // An entry the walk left out, for --explain.
  void LeftOut(const BatchItem& item);
  // A line on the error stream about a name.
  void ErrorLine(std::string_view name, std::string_view shown);
  void Summary(const RunTally& tally);
  void Undo(const UndoItem& item);
  // Whether a write to the output or the error stream failed: the run is
  // then to stop, and its status to say so.
  bool Failed() const { return failed_; }

  // Shows the progress line on the error stream while the run goes on.
  void ShowProgress(ProgressLine::Time start);
  void Progress(std::size_t done, std::string_view folder);

  // Takes the progress line away and writes what is pending.
  void Finish();
  void Flush();

 protected:
  // Each appends its lines to line_.
  virtual void FileLines(const BatchItem& item, const std::optional<Rename>& rename) = 0;
  virtual void SummaryLines(const RunTally& tally) = 0;
  virtual void UndoLines(const UndoItem& item) = 0;
  virtual void LeftOutLines(const BatchItem& item) = 0;
  // What follows a file's name for its kind.
  virtual std::string MakeKindFields(int code) const = 0;

  const std::string& KindFields(int code);
  // A name for the output's text lines, and for the error stream.
  std::string Name(std::string_view name) const;
  std::string ErrName(std::string_view name) const;
  std::string ShownName(std::string_view name, bool escape) const;
  std::string Text(std::string_view cp932) const;

  const ReportStyle style_;
  std::string line_;

 private:
  void EndLine();

  std::ostream& out_;
  std::ostream& err_;
  NameStyle names_;
  std::string pending_;  // output not yet written
  std::map<int, std::string> kind_fields_;
  std::optional<ProgressLine> progress_;
  bool failed_ = false;
};

// The text or the JSON printer, as the style says.
std::unique_ptr<Report> MakeReport(std::ostream& out, std::ostream& err, const ReportStyle& style);

}  // namespace miwake
