// The version resource of an executable that a worker classified, reached
// through the worker's own file access.
#pragma once

#include <string>

#include "common/file_system.h"
#include "identify/kinds.h"
#include "identify/version_refiner.h"

namespace miwake {

// The OriginalFilename, as ReadOriginalFilename gives it. On Windows through
// the system's version functions where they take the name, else read from
// the open file.
std::string OriginalFilenameOf(FileSystem& files, const std::string& name);

class FileVersionRefiner final : public ExecutableRefiner {
 public:
  explicit FileVersionRefiner(FileSystem& files) : files_(files) {}
  int Refine(const std::string& name, int code) override {
    if (code != kKindExecutable) return code;
    return ExecutableKindFromOriginalFilename(OriginalFilenameOf(files_, name));
  }
  std::optional<std::string> OriginalFilename(const std::string& name) override {
    std::string found = OriginalFilenameOf(files_, name);
    if (found.empty()) return std::nullopt;
    return found;
  }

 private:
  FileSystem& files_;
};

}  // namespace miwake
