// What the drive selector and the folder list show, apart from the system
// calls that feed them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace miwake {

// The drive types as GetDriveTypeA numbers them.
inline constexpr unsigned kDriveRemovable = 2;
inline constexpr unsigned kDriveFixed = 3;
inline constexpr unsigned kDriveRemote = 4;
inline constexpr unsigned kDriveCdrom = 5;
inline constexpr unsigned kDriveRamdisk = 6;

enum class DrivePicture { kFloppy, kHard, kNetwork, kCdrom, kRam };

// Nothing for the types that are not listed (unknown, no root folder).
std::optional<DrivePicture> DrivePictureFor(unsigned drive_type);

// The item of a drive before lower-casing: "a:" for a removable drive (its
// medium is not touched), "c: [label]" otherwise, or "x: \\server\share"
// for a network drive whose connection is known.
std::string DriveItemText(char letter, unsigned drive_type, std::string_view label,
                          std::optional<std::string_view> network_name);

// The item whose text starts with the letter and a colon, letter case aside.
std::optional<std::size_t> DriveItemIndex(std::span<const std::string> texts, char letter);

// The drive of a folder path, lower-case: its first character.
char DriveOf(std::string_view folder);

// "A:\" for drive a.
std::string RootOf(char drive);

enum class FolderPicture { kOpen, kClosed, kCurrent };

struct FolderItem {
  std::string text;
  FolderPicture picture;
  int indent;          // pixels from the item's left edge to the picture
  std::string target;  // the folder that opening the item goes to
  bool operator==(const FolderItem&) const = default;
};

// The root, each folder on the way down, the current folder itself, then its
// subfolders (given sorted). `current` has the form GetCurrentDirectoryA
// gives: a drive root "C:\" or a path without a trailing backslash.
std::vector<FolderItem> FolderListItems(std::string_view current,
                                        std::span<const std::string> subfolders);

// Whether an entry of a folder is a subfolder the list shows: hidden and
// system folders are left out, and so are "." and "..".
bool IsListedFolder(std::string_view name, std::uint32_t attributes);

// Below zero, zero or above zero, as the user locale orders two names.
using NameOrder = std::function<int(const std::string&, const std::string&)>;

// Ascending; of names that compare equal only the first one found stays.
std::vector<std::string> SortedUniqueNames(std::vector<std::string> names,
                                           const NameOrder& compare);

// Whether the volume's names are shown as stored rather than in lower case,
// from the file-system flags of GetVolumeInformationA.
bool ShowsNamesAsStored(std::uint32_t file_system_flags);

}  // namespace miwake
