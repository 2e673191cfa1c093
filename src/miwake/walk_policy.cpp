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

std::string_view LeftOutText(LeftOut why) {
  switch (why) {
    case LeftOut::kVersionControl:
      return "version-control";
    case LeftOut::kSystem:
      return "system";
    case LeftOut::kHidden:
      return "hidden";
    case LeftOut::kNothing:
      break;
  }
  return "";
}

std::string_view LeftOutKey(LeftOut why) {
  switch (why) {
    case LeftOut::kVersionControl:
      return "version_control";
    case LeftOut::kSystem:
      return "system";
    case LeftOut::kHidden:
      return "hidden";
    case LeftOut::kNothing:
      break;
  }
  return "";
}

}  // namespace miwake
