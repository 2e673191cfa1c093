// An in-memory file system for tests of the engine and the commands, with
// failures that can be switched on per operation.
#pragma once

#include <map>
#include <string>

#include "common/file_system.h"

namespace miwake::testing {

struct MemoryFile {
  std::string bytes;
  bool refuse_open = false;  // as a file held open without write sharing
  bool fail_read = false;
  bool fail_seek = false;
  bool fail_at_end = false;
  bool fail_close = false;
};

class MemoryFileSystem final : public FileSystem {
 public:
  MemoryFile& Add(const std::string& name, std::string bytes);

  std::unique_ptr<OpenFile> OpenForClassify(const std::string& name) override;
  bool FileExists(const std::string& name) override;

  int opens = 0;  // how often a file was opened
  std::size_t bytes_read = 0;

 private:
  std::map<std::string, MemoryFile> files_;
};

}  // namespace miwake::testing
