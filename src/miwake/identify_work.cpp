#include "miwake/identify_work.h"

namespace miwake {

void IdentifyWork::Process(BatchItem& item) {
  // A file the walk found is opened in its folder, kept open, by its leaf.
  auto file = item.folder ? item.folder->OpenForClassify(item.path.c_str() + item.leaf)
                          : files_->OpenForClassify(item.path);
  if (names_)
    look_.SetName(&judge_, std::string_view(item.path).substr(LeafStart(item.path, *names_)));
  item.code =
      classifier_.Classify(std::move(file), item.path, explain_ ? &item.why : nullptr, &look_);
  item.magic = look_.Take();
  if (item.magic || item.code == kKindOther) {
    item.type = ContentType(item.code, item.magic, types_);
  } else {
    // The same few kinds again and again: each one's type is found once.
    auto [it, added] = kind_types_.try_emplace(item.code);
    if (added) it->second = ContentType(item.code, std::nullopt, types_);
    item.type = it->second;
  }
  if (item.code != kKindUnreadable) return;
  // A file removed, or replaced by a pipe, since it was listed is reported
  // as such rather than answered as one in use.
  const char* leaf = item.path.c_str() + item.leaf;
  switch (item.folder ? item.folder->TypeOf(leaf) : files_->TypeOf(item.path)) {
    case EntryType::kMissing:
    case EntryType::kFolder:
      item.state = ItemState::kMissing;
      break;
    case EntryType::kOther:
      item.state = ItemState::kNotRegular;
      break;
    case EntryType::kRegularFile: {
      // The cause, from a second try: a file that opens but cannot be read
      // failed on a read.
      item.error = files_->OpenForClassify(item.path) ? 30 : files_->LastError();
      break;
    }
  }
}

}  // namespace miwake
