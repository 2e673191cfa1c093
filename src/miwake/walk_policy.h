// What a folder walk leaves out unless asked for everything: the folders of
// version-control systems, whose files are no user's to rename, and on
// Windows the files and folders marked hidden or system.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "miwake/folder_listing.h"

namespace miwake {

enum class LeftOut { kNothing, kVersionControl, kSystem, kHidden };
inline constexpr std::size_t kLeftOutReasons = 4;
using LeftOutCounts = std::array<std::size_t, kLeftOutReasons>;

// `fold_case`: names that differ only in letter case are one (Windows).
LeftOut WhyLeftOut(const ListedEntry& entry, bool fold_case);

// "version-control", "system", "hidden"; for JSON "version_control", ...
std::string_view LeftOutText(LeftOut why);
std::string_view LeftOutKey(LeftOut why);

}  // namespace miwake
