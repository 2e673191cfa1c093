// An in-memory file system for tests of the engine, the commands and the
// settings, with failures that can be switched on per file and operation.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "common/file_system.h"

namespace miwake::testing {

struct MemoryFile {
  std::string bytes;
  bool refuse_open = false;  // as a file held open without write sharing
  bool fail_read = false, fail_seek = false, fail_at_end = false, fail_close = false;
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
  std::unique_ptr<OpenFile> OpenForReading(const std::string& name) override {
    const auto it = files_.find(name);
    if (it == files_.end() || it->second.refuse_open) return Fail(), nullptr;
    return std::make_unique<Open>(it->second, *this);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    const auto it = files_.find(from);
    if (it == files_.end() || it->second.refuse_open) return Fail();
    if (from == to) return true;  // as the system does for a name onto itself
    if (files_.contains(to)) return Fail();
    files_[to] = std::move(it->second);
    files_.erase(from);
    return true;
  }
  bool Delete(const std::string& name) override {
    const auto it = files_.find(name);
    if (it == files_.end() || it->second.refuse_delete || it->second.refuse_open) return Fail();
    files_.erase(it);
    return true;
  }
  int LastError() const override { return last_error; }

  // Every failed operation, of the open files too, reports error_code; 32 is
  // a sharing violation.
  bool Fail() { return last_error = error_code, false; }
  int error_code = 32;
  int last_error = 0;

 private:
  class Open final : public OpenFile {
   public:
    Open(const MemoryFile& file, MemoryFileSystem& files) : file_(file), files_(files) {}
    bool Seek(std::uint64_t position) override {
      return file_.fail_seek ? files_.Fail() : (position_ = position, true);
    }
    std::optional<std::size_t> Read(std::span<std::uint8_t> into) override {
      if (file_.fail_read) return files_.Fail(), std::nullopt;
      const std::size_t n =
          file_.bytes.copy(reinterpret_cast<char*>(into.data()), into.size(),
                           std::min<std::uint64_t>(position_, file_.bytes.size()));
      return position_ += n, n;
    }
    std::optional<bool> AtEnd() override {
      if (file_.fail_at_end) return files_.Fail(), std::nullopt;
      return position_ >= file_.bytes.size();
    }
    bool Close() override { return !file_.fail_close || files_.Fail(); }

   private:
    const MemoryFile& file_;
    MemoryFileSystem& files_;
    std::uint64_t position_ = 0;
  };

  std::map<std::string, MemoryFile> files_;
  std::set<std::string> folders_;
};

}  // namespace miwake::testing
