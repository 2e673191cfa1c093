#include "miwake/walk_policy.h"

#include "common/text.h"

namespace miwake {

LeftOut WhyLeftOut(const ListedEntry& entry, bool fold_case) {
  static constexpr std::array<std::string_view, 5> kVersionControl = {".git", ".hg", ".svn",
                                                                      "_darcs", "CVS"};
  if (entry.type == ListedType::kFolder)
    for (const std::string_view name : kVersionControl)
      if (fold_case ? SameTextAscii(entry.name, name) : entry.name == name)
        return LeftOut::kVersionControl;
  // Windows itself keeps these from its users' eyes.
  if (entry.system) return LeftOut::kSystem;
  return entry.hidden ? LeftOut::kHidden : LeftOut::kNothing;
}

namespace {

// By LeftOut: what the text says, and JSON's key.
constexpr std::array<std::array<std::string_view, 2>, kLeftOutReasons> kWords = {{
    {"", ""},
    {"version-control", "version_control"},
    {"system", "system"},
    {"hidden", "hidden"},
}};

}  // namespace

std::string_view LeftOutText(LeftOut why) {
  return kWords[static_cast<std::size_t>(why)][0];
}

std::string_view LeftOutKey(LeftOut why) {
  return kWords[static_cast<std::size_t>(why)][1];
}

}  // namespace miwake
