// An in-memory file system for tests of the engine, the commands and the
// settings, with failures that can be switched on per file and operation.
#pragma once

#include <map>
#include <set>
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
  bool refuse_delete = false;  // as a read-only file or one in use
};

class MemoryFileSystem final : public FileSystem {
 public:
  MemoryFile& Add(const std::string& name, std::string bytes) {
    return files_[name] = MemoryFile{std::move(bytes)};
  }
  void AddFolder(const std::string& name) { folders_.insert(name); }
  const MemoryFile* Find(const std::string& name) const {
    const auto it = files_.find(name);
    return it == files_.end() ? nullptr : &it->second;
  }

  bool FileExists(const std::string& name) override { return files_.contains(name); }
  bool FolderExists(const std::string& name) override { return folders_.contains(name); }
  std::unique_ptr<OpenFile> OpenForClassify(const std::string& name) override {
    return OpenForReading(name);
  }
  std::unique_ptr<OpenFile> OpenForReading(const std::string& name) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool Delete(const std::string& name) override;
  int LastError() const override { return last_error; }

  // Every failed operation, of the open files too, reports error_code; 32 is
  // a sharing violation.
  bool Fail() { return last_error = error_code, false; }
  int error_code = 32;
  int last_error = 0;

 private:
  std::map<std::string, MemoryFile> files_;
  std::set<std::string> folders_;
};

}  // namespace miwake::testing
