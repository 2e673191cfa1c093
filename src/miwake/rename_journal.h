// The rename journal: what `miwake --fix` renamed, so that `--undo` can give
// every file its name back.
//
// The journal is a text file of lines ending in LF (on every platform):
//
//   miwake rename journal 2
//   original<TAB>renamed<TAB>device:file:size:modified
//   ...
//
// one line per rename, oldest first, written and pushed to the disk before
// the rename is made. Names are the system's bytes (UTF-8 or Shift-JIS on
// Linux, code page 932 on Windows), written as they are except the bytes
// below 0x20, 0x7F and '%', which are written as %XX (two upper-case hex
// digits): a name keeps every byte, yet a line holds exactly two tabs and one
// LF. The third field is the FileIdentity of the file, taken just before its
// rename, in decimal: undo moves that file back and no other. A journal of
// version 1 has lines of the first two fields only, and undo trusts them.
// A crash can only cut the last line short; a line without its LF is
// ignored, so a journal read after a crash gives every rename that may have
// been made. Any other line that is not well formed is damage, which undo
// reports. A pair whose rename never happened (refused, failed, or the run
// stopped in between) is harmless: undo finds the original name still there.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "common/file_system.h"

namespace miwake {
// One line per rename, written and pushed to the disk before the rename is made.
class RenameJournal {
 public:
  virtual ~RenameJournal() = default;
  // False when the line could not be written and flushed; the rename must then not be made.
  virtual bool Record(const std::string& from, const std::string& to,
                      const FileIdentity& identity) = 0;
};
// Creates a new journal file, never replacing one; null with the reason (UTF-8 / the
// system's text, for stderr) in `error`.
std::unique_ptr<RenameJournal> CreateRenameJournal(const std::string& path, std::string& error);
// The same at `stem`.journal, or at `stem`-2.journal, -3, ... when that name is taken;
// the name it made (or tried last) in `path`.
std::unique_ptr<RenameJournal> CreateUniqueRenameJournal(const std::string& stem, std::string& path,
                                                         std::string& error);
// The stem of the journal's default name in the current folder, from the local date and
// time and the process, e.g. "miwake-20261207-031500-4242".
std::string DefaultJournalStem();

enum class FixOutcome { kRenamed, kTargetExists, kNotRecorded, kFailed };
// Records the pair and the file's identity, then renames `from` to `to`; never replaces an
// existing file. For kFailed, `error` gets the system's code of the failure.
FixOutcome FixName(FileSystem& files, RenameJournal& journal, const std::string& from,
                   const std::string& to, int* error = nullptr);

enum class UndoOutcome {
  kRestored,
  kAlreadyOriginal,
  kNameTaken,
  kMissing,
  kFailed,
  kNotTheSameFile,    // another file, or the file changed, under the new name
  kDuplicateRemoved,  // the file was under both names: the new one is gone
};
struct UndoItem {
  std::string original;  // the name before the fix
  std::string renamed;   // the name the fix gave
  UndoOutcome outcome;
};
struct UndoResult {
  bool read = false;  // false when the journal could not be read (then `error` says why)
  std::string error;
  std::vector<std::size_t> unreadable_lines;  // counted from 1, the header's
  std::vector<UndoItem> items;                // newest rename first
};
// Gives back every original name it can, never replacing a file. With
// `windows_names`, a name that is no WTF-8 is code page 932, as the journals
// of earlier versions on Windows wrote them.
UndoResult UndoRenames(FileSystem& files, const std::string& journal_path,
                       bool windows_names = false);
}  // namespace miwake
