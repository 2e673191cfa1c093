#include "support/memory_file_system.h"

#include <algorithm>
#include <cstring>

namespace miwake::testing {
namespace {

class MemoryOpenFile final : public OpenFile {
 public:
  MemoryOpenFile(const MemoryFile& file, std::size_t& bytes_read)
      : file_(file), bytes_read_(bytes_read) {}

  bool Seek(std::uint64_t position) override {
    if (file_.fail_seek) return false;
    position_ = position;
    return true;
  }
  std::optional<std::size_t> Read(std::span<std::uint8_t> into) override {
    if (file_.fail_read) return std::nullopt;
    const std::uint64_t size = file_.bytes.size();
    const std::size_t n =
        position_ >= size
            ? 0
            : static_cast<std::size_t>(std::min<std::uint64_t>(into.size(), size - position_));
    std::memcpy(into.data(), file_.bytes.data() + position_, n);
    position_ += n;
    bytes_read_ += n;
    return n;
  }
  std::optional<bool> AtEnd() override {
    if (file_.fail_at_end) return std::nullopt;
    return position_ >= file_.bytes.size();
  }
  bool Close() override { return !file_.fail_close; }

 private:
  const MemoryFile& file_;
  std::size_t& bytes_read_;
  std::uint64_t position_ = 0;
};

}  // namespace

MemoryFile& MemoryFileSystem::Add(const std::string& name, std::string bytes) {
  MemoryFile& file = files_[name];
  file = MemoryFile{};
  file.bytes = std::move(bytes);
  return file;
}

std::unique_ptr<OpenFile> MemoryFileSystem::OpenForClassify(const std::string& name) {
  const auto it = files_.find(name);
  if (it == files_.end() || it->second.refuse_open) return nullptr;
  ++opens;
  return std::make_unique<MemoryOpenFile>(it->second, bytes_read);
}

bool MemoryFileSystem::FileExists(const std::string& name) {
  return files_.contains(name);
}

}  // namespace miwake::testing
