#include "miwake/file_version.h"

namespace miwake {

// The name reaches the file as it is: nothing to go round.
std::string OriginalFilenameOf(FileSystem&, const std::string& name) {
  return ReadOriginalFilename(name);
}

}  // namespace miwake
