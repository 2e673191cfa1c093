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
  std::uint64_t id = 0;
  bool refuse_open = false;  // as a file held open without write sharing
  bool fail_read = false, fail_seek = false, fail_at_end = false, fail_close = false;
  bool refuse_delete = false;  // as a read-only file or one in use
};

struct MemoryFileSystem final : FileSystem {
  MemoryFile& Add(const std::string& name, std::string bytes) {
    return files[name] = MemoryFile{std::move(bytes), ++made};
  }
  bool FileExists(const std::string& name) override { return files.contains(name); }
  bool FolderExists(const std::string& name) override { return folders.contains(name); }
  std::unique_ptr<OpenFile> OpenForClassify(const std::string& name) override {
    return OpenForReading(name);
  }
  std::unique_ptr<OpenFile> OpenForReading(const std::string& name) override {
    const auto it = files.find(name);
    if (it == files.end() || it->second.refuse_open) return Fail(), nullptr;
    return std::make_unique<Open>(it->second, *this);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    const auto it = files.find(from);
    if (it == files.end() || it->second.refuse_open) return Fail();
    if (from == to) return true;  // as the system does for a name onto itself
    if (files.contains(to)) return Fail();
    files[to] = std::move(it->second);
    return files.erase(from), true;
  }
  bool Delete(const std::string& name) override {
    const auto it = files.find(name);
    if (it == files.end() || it->second.refuse_delete || it->second.refuse_open) return Fail();
    return files.erase(it), true;
  }
  std::optional<FileIdentity> IdentityOf(const std::string& name) override {
    if (!files.contains(name)) return Fail(), std::nullopt;
    return FileIdentity{0, files[name].id, files[name].bytes.size(), 0};
  }
  int LastError() const override { return last_error; }
  // Every failed operation, of the open files too, reports error_code; 32 is
  // a sharing violation.
  bool Fail() { return last_error = error_code, false; }

  struct Open final : OpenFile {
    Open(const MemoryFile& file, MemoryFileSystem& files) : file(file), files(files) {}
    bool Seek(std::uint64_t to) override { return file.fail_seek ? files.Fail() : (at = to, true); }
    std::optional<std::size_t> Read(std::span<std::uint8_t> into) override {
      if (file.fail_read) return files.Fail(), std::nullopt;
      const std::size_t n = file.bytes.copy(reinterpret_cast<char*>(into.data()), into.size(),
                                            std::min<std::uint64_t>(at, file.bytes.size()));
      return at += n, n;
    }
    std::optional<bool> AtEnd() override {
      if (file.fail_at_end) return files.Fail(), std::nullopt;
      return at >= file.bytes.size();
    }
    bool Close() override { return !file.fail_close || files.Fail(); }
    const MemoryFile& file;
    MemoryFileSystem& files;
    std::uint64_t at = 0;
  };
  std::map<std::string, MemoryFile> files;
  std::set<std::string> folders;
  int error_code = 32, last_error = 0;
  std::uint64_t made = 0;
};

}  // namespace miwake::testing
