#include "toolkit/folder_rules.h"

#include <algorithm>

#include "common/text.h"

namespace miwake {
namespace {

// Where the backslashes stand, second bytes of double-byte characters aside.
std::vector<std::size_t> Backslashes(std::string_view path) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
    } else if (path[i] == '\\') {
      found.push_back(i);
    }
  }
  return found;
}

// Just past the root's backslash: "C:\" or "\\server\share\".
std::size_t RootEnd(std::string_view path, std::span<const std::size_t> backslashes) {
  const std::size_t nth = path.starts_with("\\\\") ? 3 : 0;
  return backslashes.size() > nth ? backslashes[nth] + 1 : path.size();
}

}  // namespace

std::optional<DrivePicture> DrivePictureFor(unsigned drive_type) {
  switch (drive_type) {
    case kDriveRemovable:
      return DrivePicture::kFloppy;
    case kDriveFixed:
      return DrivePicture::kHard;
    case kDriveRemote:
      return DrivePicture::kNetwork;
    case kDriveCdrom:
      return DrivePicture::kCdrom;
    case kDriveRamdisk:
      return DrivePicture::kRam;
    default:
      return std::nullopt;
  }
}

std::string DriveItemText(char letter, unsigned drive_type, std::string_view label,
                          std::optional<std::string_view> network_name) {
  std::string text{letter, ':'};
  if (drive_type == kDriveRemovable) return text;
  text += ' ';
  if (drive_type == kDriveRemote && network_name) return text += *network_name;
  return text += "[" + std::string(label) + "]";
}

std::optional<std::size_t> DriveItemIndex(std::span<const std::string> texts, char letter) {
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (texts[i].size() >= 2 && LowerAscii(texts[i][0]) == LowerAscii(letter) && texts[i][1] == ':')
      return i;
  }
  return std::nullopt;
}

char DriveOf(std::string_view folder) {
  return folder.empty() ? '\0' : LowerAscii(folder[0]);
}

std::string RootOf(char drive) {
  const char upper = drive >= 'a' && drive <= 'z' ? static_cast<char>(drive - ('a' - 'A')) : drive;
  return {upper, ':', '\\'};
}

std::vector<FolderItem> FolderListItems(std::string_view current,
                                        std::span<const std::string> subfolders) {
  const std::vector<std::size_t> backslashes = Backslashes(current);
  const std::size_t root_end = RootEnd(current, backslashes);
  std::vector<FolderItem> items;
  auto add_path_item = [&](std::string_view text, std::size_t end) {
    const int indent = 2 + 4 * static_cast<int>(items.size());
    items.push_back(
        {std::string(text), FolderPicture::kOpen, indent, std::string(current.substr(0, end))});
  };
  add_path_item(current.substr(0, root_end), root_end);
  for (std::size_t start = root_end; start < current.size();) {
    const auto next = std::upper_bound(backslashes.begin(), backslashes.end(), start);
    const std::size_t end = next == backslashes.end() ? current.size() : *next;
    if (end > start) add_path_item(current.substr(start, end - start), end);
    start = end + 1;
  }
  items.back().picture = FolderPicture::kCurrent;
  const int indent = 6 + 4 * static_cast<int>(backslashes.size());
  for (const std::string& name : subfolders) {
    items.push_back({name, FolderPicture::kClosed, indent,
                     JoinPath(current, name, NameStyle::kWindowsBackslash)});
  }
  return items;
}

bool IsListedFolder(std::string_view name, std::uint32_t attributes) {
  constexpr std::uint32_t kHidden = 0x2, kSystem = 0x4, kDirectory = 0x10;
  return (attributes & kDirectory) != 0 && (attributes & (kHidden | kSystem)) == 0 && name != "." &&
         name != "..";
}

std::vector<std::string> SortedUniqueNames(std::vector<std::string> names,
                                           const NameOrder& compare) {
  std::stable_sort(names.begin(), names.end(),
                   [&](const std::string& a, const std::string& b) { return compare(a, b) < 0; });
  const auto last =
      std::unique(names.begin(), names.end(),
                  [&](const std::string& a, const std::string& b) { return compare(a, b) == 0; });
  names.erase(last, names.end());
  return names;
}

bool ShowsNamesAsStored(std::uint32_t file_system_flags) {
  constexpr std::uint32_t kCaseSensitive = 0x1, kCaseIsPreserved = 0x2;
  return (file_system_flags & (kCaseSensitive | kCaseIsPreserved)) != 0;
}

}  // namespace miwake
