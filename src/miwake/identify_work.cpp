#include "miwake/identify_work.h"

namespace miwake {

std::unique_ptr<OpenFile> ThroughKeptFolder::OpenForClassify(const std::string& name) {
  if (item_ != nullptr && item_->folder && name == item_->path)
    return item_->folder->OpenForClassify(item_->path.c_str() + item_->leaf);
  return files_->OpenForClassify(name);
}

void IdentifyWork::Process(BatchItem& item) {
  files_.WorkOn(&item);
  if (explain_) {
    item.why = KindReasons{};
    item.code = classifier_.Explain(item.path, item.why);
  } else {
    item.code = classifier_.IdentifyFile(item.path);
  }
  files_.WorkOn(nullptr);
  if (item.code != kKindUnreadable) return;
  // A file removed, or replaced by a pipe, since it was listed is reported
  // as such rather than answered as one in use.
  switch (files_.TypeOf(item.path)) {
    case EntryType::kMissing:
    case EntryType::kFolder:
      item.state = ItemState::kMissing;
      break;
    case EntryType::kOther:
      item.state = ItemState::kNotRegular;
      break;
    case EntryType::kRegularFile:
      break;
  }
}

}  // namespace miwake
