// One name of a batch run and what became of it, from the walk through the
// classification to the output.
#pragma once

#include <memory>
#include <string>

#include "identify/classifier.h"
#include "identify/kinds.h"
#include "miwake/folder_listing.h"
#include "types/mime_magic.h"

namespace miwake {

enum class ItemState {
  kFile,              // classified; `code` holds the answer
  kEmptyName,         // an empty name was given
  kMissing,           // no such file, or it went away before it was read; `error` may say why
  kFolderNotWalked,   // a folder named without -r
  kNotRegular,        // a pipe, a device or a socket: never opened
  kUnreadableFolder,  // not listed; `error` holds the system's code
  kDevice,            // a name Windows reserves for a device: never opened
  kLeftOut,           // left out of the walk, told only when asked; `error` holds the LeftOut
};

struct BatchItem {
  std::string path;
  // The walk's folder of the file, kept open, and where its leaf starts in
  // `path`; null for a name given, which is opened as it is.
  std::shared_ptr<const KeptFolder> folder;
  std::size_t leaf = 0;
  ItemState state = ItemState::kFile;
  int error = 0;
  int code = kKindUnreadable;
  KindReasons why;                  // filled when the run explains
  std::string type;                 // the content's, in the shared MIME-info vocabulary
  std::optional<MagicMatch> magic;  // the rule that gave a file of no kind its type
};

}  // namespace miwake
