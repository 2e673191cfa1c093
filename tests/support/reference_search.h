// The application-name search as a plain loop over 2500-byte blocks, one at
// a time, for comparison with the fast search.
#pragma once

#include <string_view>

#include "identify/name_search.h"

namespace miwake::testing {

AppNameFlags ReferenceSearch(std::string_view file);

}  // namespace miwake::testing
