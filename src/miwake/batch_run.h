// A whole run of the miwake tool over files and folders: the names in their
// order, classified on several threads, printed in order, and with --fix the
// mismatched files renamed one after the other on the calling thread.
#pragma once

#include <functional>
#include <memory>
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
  // Whether file names are code page 932 (Windows) rather than the bytes the
  // system uses (UTF-8 or anything else on POSIX systems).
  bool cp932_names;
  bool out_is_terminal = false;
  bool err_is_terminal = false;
  // The shared MIME-info database's folders, the most important first,
  // read for the mismatches.
  std::vector<std::string> mime_folders = {};
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
};

// True when every file was identified (and with fix renamed).
bool RunBatch(std::span<const std::string> names, const RunOptions& options,
              const RunEnvironment& env);

// Gives back the names a fix recorded; true when every one was given back.
bool RunUndo(const std::string& journal, bool json, const RunEnvironment& env);

}  // namespace miwake
