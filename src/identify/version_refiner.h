// The last step of classification for executables: the extension of the
// OriginalFilename in the version resource picks a sub-kind from 2 to 13.
#pragma once

#include <string>
#include <string_view>

#include "identify/classifier.h"

namespace miwake {

// The OriginalFilename of the file's version resource in the ANSI code page;
// the empty text without a version resource or translation table; "UnKnown"
// when the first translation's string table has no such value.
std::string ReadOriginalFilename(const std::string& name);

// The sub-kind whose extension the OriginalFilename carries, or 105.
int ExecutableKindFromOriginalFilename(std::string_view original_filename);

class VersionResourceRefiner final : public ExecutableRefiner {
 public:
  int Refine(const std::string& name, int code) override;
  std::optional<std::string> OriginalFilename(const std::string& name) override;
};

}  // namespace miwake
