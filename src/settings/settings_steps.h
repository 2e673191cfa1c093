// What the main window reads from and writes to the settings file when it is
// created, destroyed and browses, and the take-over of the old FMIWAKER.CNF.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/file_system.h"
#include "settings/settings_file.h"

namespace miwake {

struct WindowPosition {
  int top = 0;
  int left = 0;
  bool operator==(const WindowPosition&) const = default;
};

inline constexpr int kFirstStartTop = 10;
inline constexpr int kFirstStartLeft = 10;

// The first line of an old configuration file: everything before the first
// carriage return or Ctrl-Z; a line feed alone does not end it.
std::string_view FirstLineOf(std::string_view bytes);

// The first line of the named file, read however long it is; throws AppError
// with the input/output error text when the file cannot be opened or read.
std::string ReadFirstLine(FileSystem& files, const std::string& path);

// The settings step of the main window's creation. `version` is the
// program's in the user's locale. Returns where the window goes; `current` is its design
// position, the fallback for missing or unreadable values. The old file is
// deleted only once the settings file has been written, so a failed write
// keeps its folder for the next start.
WindowPosition TakeSettingsAtStart(const std::string& app_dir, const std::string& version,
                                   WindowPosition current, ProfileStore& store, FileSystem& files);

// The position save at the program's end.
void SavePosition(const std::string& app_dir, WindowPosition position, ProfileStore& store);

// The initial folder of the file-open dialog, if the settings file names an
// existing one; its trailing backslash dropped unless a colon precedes it.
std::optional<std::string> BrowseStartFolder(const std::string& app_dir, ProfileStore& store,
                                             FileSystem& files);

// The version, major and minor joined by the decimal separator: "3,12".
std::string VersionText(std::string_view decimal_separator);

}  // namespace miwake
