#include "support/reference_search.h"

#include <algorithm>

namespace miwake::testing {

AppNameFlags ReferenceSearch(std::string_view file) {
  constexpr std::size_t kStart = 2080, kBlock = 2500, kOverlap = 20;
  AppNameFlags flags;
  for (std::size_t s = kStart;;) {
    const std::size_t n = s >= file.size() ? 0 : std::min(kBlock, file.size() - s);
    const std::string_view block = file.substr(std::min(s, file.size()), n);
    bool found = false;
    for (std::size_t k = 0; k < flags.size() && n > kOverlap; ++k)
      for (std::size_t j = 0; j + kOverlap < n; ++j)
        if (block.substr(j).starts_with(kSignatures[kFirstAppName + k].bytes))
          flags[k] = found = true;
    if (found || s + n >= file.size()) return flags;
    s = s + n - kOverlap;
  }
}

}  // namespace miwake::testing
