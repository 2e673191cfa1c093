// The names of a batch run in their order: each name given, and with
// `recursive` the regular files below each folder given, in a walk that goes
// depth first through each folder's entries sorted byte by byte. Symbolic
// links and reparse points are not followed.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "common/file_system.h"
#include "miwake/batch_item.h"
#include "miwake/folder_listing.h"
#include "miwake/names.h"

namespace miwake {

class NameSource {
 public:
  NameSource(std::span<const std::string> names, bool recursive, NameStyle style, FileSystem& files,
             FolderLister& lister)
      : names_(names), recursive_(recursive), style_(style), files_(files), lister_(lister) {}

  // Fills `item` (path and state) with the next name; false after the last.
  bool Next(BatchItem& item);

  // The folder whose entries are being given; empty outside a walk.
  const std::string& CurrentFolder() const;

 private:
  struct Level {
    std::string folder;
    std::vector<ListedEntry> entries;
    std::shared_ptr<const KeptFolder> kept;
    std::size_t next = 0;
  };
  // Starts on a folder's entries; false, with `item` telling why, when it
  // cannot be listed.
  bool Enter(std::string folder, std::size_t leaf, const std::shared_ptr<const KeptFolder>& parent,
             BatchItem& item);
  static void Set(BatchItem& item, std::string path, ItemState state, int error = 0);

  std::span<const std::string> names_;
  std::size_t next_name_ = 0;
  bool recursive_;
  NameStyle style_;
  FileSystem& files_;
  FolderLister& lister_;
  std::vector<Level> levels_;
  std::vector<ListedEntry> spare_;  // a listing's storage, kept for the next folder
};

}  // namespace miwake
