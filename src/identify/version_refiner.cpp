#include "identify/version_refiner.h"

#include "common/encoding.h"
#include "common/text.h"
#include "identify/kinds.h"

namespace miwake {

int ExecutableKindFromOriginalFilename(std::string_view original_filename) {
  const std::string extension = LowerAnsi(ExtensionOf(original_filename));
  for (int code = kFirstExecutableSubKind; code <= kLastExecutableSubKind; ++code)
    if (extension == "." + std::string(KindExtension(code))) return code;
  return kKindExecutable;
}

int VersionResourceRefiner::Refine(const std::string& name, int code) {
  if (code != kKindExecutable) return code;
  return ExecutableKindFromOriginalFilename(ReadOriginalFilename(name));
}

std::optional<std::string> VersionResourceRefiner::OriginalFilename(const std::string& name) {
  std::string found = ReadOriginalFilename(name);
  if (found.empty()) return std::nullopt;
  return found;
}

}  // namespace miwake
