// The version resource read from the file's own bytes, where the system
// offers no version functions.
#include "common/text.h"
#include "identify/pe_version.h"
#include "identify/version_refiner.h"

namespace miwake {

std::string ReadOriginalFilename(const std::string& name) {
  return ReadOriginalFilenamePortable(name);
}

void LowerAnsi(std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(b)) {
      ++i;  // a trail byte may look like a letter but is none
    } else if (b >= 'A' && b <= 'Z') {
      text[i] = static_cast<char>(b + 32);
    }
  }
}

}  // namespace miwake
