#include "miwake/name_source.h"

#include <algorithm>

namespace miwake {

void NameSource::Set(BatchItem& item, std::string path, ItemState state, int error) {
  item.path = std::move(path);
  item.folder = nullptr;
  item.state = state;
  item.error = error;
  item.code = kKindUnreadable;
}

bool NameSource::Enter(std::string folder, std::size_t leaf,
                       const std::shared_ptr<const KeptFolder>& parent, BatchItem& item) {
  int error = 0;
  EnteredFolder entered;
  entered.entries = std::move(spare_);
  if (!lister_.Enter(folder, leaf, parent, entered, error)) {
    spare_ = std::move(entered.entries);
    Set(item, std::move(folder), ItemState::kUnreadableFolder, error);
    return false;
  }
  std::sort(entered.entries.begin(), entered.entries.end(),
            [](const ListedEntry& a, const ListedEntry& b) { return a.name < b.name; });
  levels_.push_back({std::move(folder), std::move(entered.entries), std::move(entered.kept)});
  return true;
}

const std::string& NameSource::CurrentFolder() const {
  static const std::string kNone;
  return levels_.empty() ? kNone : levels_.back().folder;
}

bool NameSource::Next(BatchItem& item) {
  for (;;) {
    if (!levels_.empty()) {
      Level& level = levels_.back();
      if (level.next == level.entries.size()) {
        spare_ = std::move(level.entries);
        levels_.pop_back();
        continue;
      }
      const ListedEntry& entry = level.entries[level.next++];
      switch (entry.type) {
        case ListedType::kFile:
          Set(item, JoinPath(level.folder, entry.name, style_), ItemState::kFile);
          item.folder = level.kept;
          item.leaf = item.path.size() - entry.name.size();
          return true;
        case ListedType::kOther:
          Set(item, JoinPath(level.folder, entry.name, style_), ItemState::kNotRegular);
          return true;
        case ListedType::kFolder: {
          std::string path = JoinPath(level.folder, entry.name, style_);
          const std::size_t leaf = path.size() - entry.name.size();
          // `level` may move when the new level is pushed.
          const auto parent = level.kept;
          if (!Enter(std::move(path), leaf, parent, item)) return true;
          continue;
        }
        case ListedType::kLink:
          continue;
      }
    }
    if (next_name_ == names_.size()) return false;
    const std::string& name = names_[next_name_++];
    if (name.empty()) {
      Set(item, name, ItemState::kEmptyName);
      return true;
    }
    const EntryType type = files_.TypeOf(name);
    if (type == EntryType::kFolder && recursive_) {
      if (!Enter(name, 0, nullptr, item)) return true;
      continue;
    }
    if (type == EntryType::kOther) {
      Set(item, name, ItemState::kNotRegular);
    } else {
      // The check the main window makes: a folder is no file either.
      Set(item, name, files_.FileExists(name) ? ItemState::kFile : ItemState::kMissing);
    }
    return true;
  }
}

}  // namespace miwake
