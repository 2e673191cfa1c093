#include "batch/identify_work.h"

namespace miwake {

void IdentifyWork::Process(BatchItem& item) {
  if (explain_) {
    item.why = KindReasons{};
    item.code = classifier_.Explain(item.path, item.why);
  } else {
    item.code = classifier_.IdentifyFile(item.path);
  }
  if (item.code != kKindUnreadable) return;
  // A file removed, or replaced by a pipe, since it was listed is reported
  // as such rather than answered as one in use.
  switch (files_->TypeOf(item.path)) {
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
