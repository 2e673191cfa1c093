#include "support/memory_file_system.h"

#include <algorithm>

namespace miwake::testing {
namespace {

class MemoryOpenFile final : public OpenFile {
 public:
  MemoryOpenFile(const MemoryFile& file, MemoryFileSystem& files) : file_(file), files_(files) {}
  bool Seek(std::uint64_t position) override {
    return file_.fail_seek ? files_.Fail() : (position_ = position, true);
  }
  std::optional<std::size_t> Read(std::span<std::uint8_t> into) override {
    if (file_.fail_read) return files_.Fail(), std::nullopt;
    const std::string_view rest =
        std::string_view(file_.bytes)
            .substr(std::min<std::uint64_t>(position_, file_.bytes.size()));
    const std::size_t n = std::min(into.size(), rest.size());
    std::copy_n(rest.begin(), n, into.begin());
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

}  // namespace

std::unique_ptr<OpenFile> MemoryFileSystem::OpenForReading(const std::string& name) {
  const auto it = files_.find(name);
  if (it == files_.end() || it->second.refuse_open) return Fail(), nullptr;
  return std::make_unique<MemoryOpenFile>(it->second, *this);
}

bool MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  const auto it = files_.find(from);
  if (it == files_.end() || it->second.refuse_open) return Fail();
  if (from == to) return true;  // as the system does for a name onto itself
  if (files_.contains(to)) return Fail();
  files_[to] = std::move(it->second);
  files_.erase(from);
  return true;
}

bool MemoryFileSystem::Delete(const std::string& name) {
  const auto it = files_.find(name);
  if (it == files_.end() || it->second.refuse_delete || it->second.refuse_open) return Fail();
  files_.erase(it);
  return true;
}

}  // namespace miwake::testing
