// The application-name search as a plain loop over 2500-byte blocks, one at
// a time, for comparison with the fast search.
#pragma once

#include <algorithm>
#include <string_view>

#include "identify/name_search.h"

namespace miwake::testing {

inline AppNameFlags ReferenceSearch(std::string_view file) {
  constexpr std::size_t kStart = 2080, kBlock = 2500, kOverlap = 20;
  // Word, Excel, Ichitaro, PowerPoint, in the execution character set as the table has them.
  constexpr std::string_view kNames[] = {"Microsoft Word", "Microsoft Excel", "一太郎 9/8 文書",
                                         "Microsoft PowerPoint"};
  AppNameFlags flags;
  for (std::size_t s = kStart;;) {
    const std::size_t n = s >= file.size() ? 0 : std::min(kBlock, file.size() - s);
    const std::string_view block = file.substr(std::min(s, file.size()), n);
    bool found = false;
    for (std::size_t k = 0; k < flags.size() && n > kOverlap; ++k)
      for (std::size_t j = 0; j + kOverlap < n; ++j)
        if (block.substr(j).starts_with(kNames[k])) flags[k] = found = true;
    if (found || s + n >= file.size()) return flags;
    s = s + n - kOverlap;
  }
}

}  // namespace miwake::testing
