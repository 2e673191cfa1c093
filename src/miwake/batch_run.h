// A whole run of the miwake tool over files and folders: the names in their
// order, classified on several threads, printed in order, and with --fix the
// mismatched files renamed one after the other on the calling thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "miwake/folder_listing.h"

namespace miwake {

struct RunEnvironment {
  FileSystem& files;  // the calling thread's: checks, renames, undo
  FolderLister& folders;
  std::function<std::unique_ptr<FileSystem>()> make_files;  // one for each worker
  std::ostream& out;
  std::ostream& err;
  // Whether the program's own texts are written as UTF-8 (else as code page
  // 932). JSON is always UTF-8.
  bool utf8_texts;
  // Whether file names are Windows names, WTF-8 text whose parts "\\", "/"
  // and ":" separate and whose letter case does not count, rather than the
  // bytes the system uses (UTF-8 or anything else on POSIX systems).
  bool windows_names;
  bool out_is_terminal = false;
  bool err_is_terminal = false;
  // The shared MIME-info database's folders, the most important first,
  // read for the mismatches.
  std::vector<std::string> mime_folders = {};
  // A name as the text output shows it (in the program's code page); null:
  // as it is.
  std::function<std::string(std::string_view)> name_text = nullptr;
  // The machine's, for the cap on --jobs; 0: unknown.
  unsigned hardware_threads = 0;
};

struct RunOptions {
  bool json = false;
  bool recursive = false;   // folders are walked
  bool mismatches = false;  // only files whose name lies about their kind, and a summary
  bool explain = false;
  bool fix = false;  // lying names given their kind's extension
  bool dry_run = false;
  std::string journal;  // empty: DefaultJournalName()
  unsigned jobs = 1;
  bool jobs_given = false;  // by the user: a lowered number is told
  bool all = false;         // nothing left out of a walk
};

// The workers a run takes: no more than the files it has to classify
// (`files`, when they are known), nor than four for each hardware thread.
unsigned CappedJobs(unsigned requested, std::optional<std::size_t> files,
                    unsigned hardware_threads);

// True when every file was identified (and with fix renamed).
bool RunBatch(std::span<const std::string> names, const RunOptions& options,
              const RunEnvironment& env);

// Gives back the names a fix recorded; true when every one was given back.
bool RunUndo(const std::string& journal, bool json, const RunEnvironment& env);

}  // namespace miwake
