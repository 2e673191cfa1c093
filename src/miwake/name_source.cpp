#include "miwake/name_source.h"

#include <algorithm>

namespace miwake {
namespace {

// Each kept folder holds a descriptor while its level is walked: deeper
// folders are not kept, so that an absurdly deep tree cannot run out of them.
constexpr std::size_t kKeptLevels = 32;

}  // namespace

void NameSource::Set(BatchItem& item, std::string path, ItemState state, int error) {
  item.path = std::move(path);
  item.folder = nullptr;
  item.state = state;
  item.error = error;
  item.code = kKindUnreadable;
}

bool NameSource::Enter(std::string folder, BatchItem& item) {
  int error = 0;
  std::vector<ListedEntry> entries = std::move(spare_);
  std::shared_ptr<const KeptFolder> kept;
  const bool listed = levels_.size() < kKeptLevels
                          ? lister_.ListAndKeep(folder, entries, error, kept)
                          : lister_.List(folder, entries, error);
  if (!listed) {
    spare_ = std::move(entries);
    Set(item, std::move(folder), ItemState::kUnreadableFolder, error);
    return false;
  }
  std::sort(entries.begin(), entries.end(),
            [](const ListedEntry& a, const ListedEntry& b) { return a.name < b.name; });
  levels_.push_back({std::move(folder), std::move(entries), std::move(kept)});
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
        case ListedType::kFolder:
          // `level` may move when the new level is pushed.
          if (!Enter(JoinPath(level.folder, entry.name, style_), item)) return true;
          continue;
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
      if (!Enter(name, item)) return true;
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
