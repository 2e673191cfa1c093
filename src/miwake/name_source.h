// The names of a batch run in their order: each name given, and with
// `recursive` the regular files below each folder given, in a walk that goes
// depth first through each folder's entries sorted byte by byte. Symbolic
// links and reparse points are not followed. A file or folder is gone
// through once, at the first name that reaches it: a name given again, a
// folder inside one walked before, and a file given that a walk showed
// already (or a walk finds after it was given) are passed over.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/file_system.h"
#include "miwake/batch_item.h"
#include "miwake/folder_listing.h"
#include "miwake/names.h"
#include "miwake/walk_policy.h"

namespace miwake {

struct WalkChoices {
  bool all = false;            // nothing left out
  bool show_left_out = false;  // an item (kLeftOut) for each entry left out
};

class NameSource {
 public:
  // Looks at every name given first.
  NameSource(std::span<const std::string> names, bool recursive, NameStyle style, FileSystem& files,
             FolderLister& lister, WalkChoices choices = {});

  // Fills `item` (path and state) with the next name; false after the last.
  bool Next(BatchItem& item);

  // The folder whose entries are being given; empty outside a walk.
  const std::string& CurrentFolder() const;

  // What the walk left out so far, by LeftOut.
  const LeftOutCounts& LeftOutSoFar() const { return left_out_; }

 private:
  struct Level {
    std::string folder;
    std::vector<ListedEntry> entries;
    std::shared_ptr<const KeptFolder> kept;
    std::size_t next = 0;
  };
  struct Given {
    EntryType type = EntryType::kMissing;
    int error = 0;               // why it is missing, as the system said
    std::optional<FileKey> key;  // of a regular file, or of a folder to walk
  };
  struct GivenFile {
    std::size_t first;  // the first name that gives it
    bool walked = false;
  };
  // Starts on a folder's entries unless it was entered before; false, with
  // `item` telling why, when it cannot be listed.
  bool Enter(std::string folder, std::size_t leaf, const std::shared_ptr<const KeptFolder>& parent,
             BatchItem& item);
  // Whether a file that the walk came to was shown already, or is to be
  // shown where it is given.
  bool ShownElsewhere(const BatchItem& item);
  static void Set(BatchItem& item, std::string path, ItemState state, int error = 0);
  // Whether a name is one Windows reserves for a device.
  bool IsDevice(std::string_view path) const;

  std::span<const std::string> names_;
  std::vector<Given> given_;
  std::size_t next_name_ = 0;
  bool recursive_;
  NameStyle style_;
  FileSystem& files_;
  FolderLister& lister_;
  WalkChoices choices_;
  LeftOutCounts left_out_{};
  std::vector<Level> levels_;
  std::vector<ListedEntry> spare_;  // a listing's storage, kept for the next folder
  std::unordered_set<FileKey> entered_;
  std::unordered_map<FileKey, GivenFile> given_files_;
};

}  // namespace miwake
