#include "miwake/name_source.h"

#include <algorithm>

#include "miwake/windows_names.h"

namespace miwake {

NameSource::NameSource(std::span<const std::string> names, bool recursive, NameStyle style,
                       FileSystem& files, FolderLister& lister, WalkChoices choices)
    : names_(names),
      recursive_(recursive),
      style_(style),
      files_(files),
      lister_(lister),
      choices_(choices) {
  for (const std::string& name : names_) {
    Given& given = given_.emplace_back();
    // A device is never looked at: the look may wait on it.
    if (!name.empty() && !IsDevice(name)) given.type = files_.TypeOf(name);
    if (given.type == EntryType::kMissing) given.error = files_.LastError();
    if (given.type == EntryType::kRegularFile || (given.type == EntryType::kFolder && recursive_))
      given.key = lister_.KeyOf(name);
    if (given.type == EntryType::kRegularFile && given.key)
      given_files_.try_emplace(*given.key, GivenFile{given_.size() - 1});
  }
}

void NameSource::Set(BatchItem& item, std::string path, ItemState state, int error) {
  item.path = std::move(path);
  item.folder = nullptr;
  item.state = state;
  item.error = error;
  item.code = kKindUnreadable;
}

bool NameSource::IsDevice(std::string_view path) const {
  return style_ == NameStyle::kWindowsUtf8 &&
         IsReservedDeviceName(path.substr(LeafStart(path, style_)));
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
  if (entered.key && !entered_.insert(*entered.key).second) {
    spare_ = std::move(entered.entries);
    return true;
  }
  std::sort(entered.entries.begin(), entered.entries.end(),
            [](const ListedEntry& a, const ListedEntry& b) { return a.name < b.name; });
  levels_.push_back({std::move(folder), std::move(entered.entries), std::move(entered.kept)});
  return true;
}

bool NameSource::ShownElsewhere(const BatchItem& item) {
  if (given_files_.empty()) return false;
  const auto key =
      item.folder ? item.folder->KeyOf(item.path.c_str() + item.leaf) : lister_.KeyOf(item.path);
  const auto given = key ? given_files_.find(*key) : given_files_.end();
  if (given == given_files_.end()) return false;
  // The name being walked is the one before next_name_, and no file.
  if (given->second.walked || given->second.first < next_name_) return true;
  given->second.walked = true;
  return false;
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
      const LeftOut why = choices_.all || entry.type == ListedType::kLink
                              ? LeftOut::kNothing
                              : WhyLeftOut(entry, style_ != NameStyle::kPosix);
      if (why != LeftOut::kNothing) {
        ++left_out_[static_cast<std::size_t>(why)];
        if (!choices_.show_left_out) continue;
        Set(item, JoinPath(level.folder, entry.name, style_), ItemState::kLeftOut,
            static_cast<int>(why));
        return true;
      }
      std::string path = JoinPath(level.folder, entry.name, style_);
      const std::size_t leaf = path.size() - entry.name.size();
      if (entry.type != ListedType::kLink && IsDevice(entry.name)) {
        Set(item, std::move(path), ItemState::kDevice);
        return true;
      }
      switch (entry.type) {
        case ListedType::kFile:
          Set(item, std::move(path), ItemState::kFile);
          item.folder = level.kept;
          item.leaf = leaf;
          if (ShownElsewhere(item)) continue;
          return true;
        case ListedType::kOther:
          Set(item, std::move(path), ItemState::kNotRegular);
          return true;
        case ListedType::kFolder: {
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
    const std::string& name = names_[next_name_];
    const Given& given = given_[next_name_++];
    if (name.empty()) {
      Set(item, name, ItemState::kEmptyName);
      return true;
    }
    if (IsDevice(name)) {
      Set(item, name, ItemState::kDevice);
      return true;
    }
    if (given.type == EntryType::kFolder && recursive_) {
      if (given.key && entered_.contains(*given.key)) continue;
      if (!Enter(name, 0, nullptr, item)) return true;
      continue;
    }
    if (given.type == EntryType::kOther) {
      Set(item, name, ItemState::kNotRegular);
    } else if (given.type == EntryType::kFolder) {
      Set(item, name, ItemState::kFolderNotWalked);
    } else if (given.type == EntryType::kMissing) {
      Set(item, name, ItemState::kMissing, given.error);
    } else {
      if (given.key) {
        const GivenFile& file = given_files_.at(*given.key);
        if (file.walked || file.first + 1 != next_name_) continue;
      }
      // The check the main window makes: a folder is no file either.
      Set(item, name, files_.FileExists(name) ? ItemState::kFile : ItemState::kMissing);
    }
    return true;
  }
}

}  // namespace miwake
