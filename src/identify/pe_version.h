// The OriginalFilename of an executable's version resource, read from the
// file's bytes with the outcomes that GetFileVersionInfoA and VerQueryValueA
// give under a Japanese locale (ANSI code page 932).
//
// Only PE32 and PE32+ files are read; NE, LE and other formats count as
// having no version resource.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace miwake {

// Random access to a file's bytes.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Reads up to out.size() bytes at offset; returns the count read (short at the end or on error).
  virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

 private:
  std::span<const std::uint8_t> bytes_;
};

// A file's bytes through `read`, which reads at an offset as many of them as
// it can (a failed read counts as the end). The last page read is kept: the
// headers and the resource directories that lead to the version block lie
// within a few pages, and each read is a system call.
class FileByteSource final : public ByteSource {
 public:
  using RawRead = std::function<std::size_t(std::uint64_t offset, std::span<std::uint8_t> out)>;
  FileByteSource(std::uint64_t size, RawRead read) : read_(std::move(read)), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

 private:
  static constexpr std::size_t kPageSize = 4096;

  RawRead read_;
  std::uint64_t size_;
  std::array<std::uint8_t, kPageSize> page_;
  std::uint64_t page_at_ = 0;
  std::size_t page_size_ = 0;
};

// The result when a translation table exists but names no OriginalFilename.
inline constexpr std::string_view kOriginalFilenameUnknown = "UnKnown";

// Larger version resources are taken for damage: real ones are a few KiB, and
// every size field inside them is 16 bits wide.
inline constexpr std::size_t kMaxVersionBlockSize = 64 * 1024;

// UTF-16 text to bytes of the ANSI code page, as WideCharToMultiByte(CP_ACP).
using AnsiConverter = std::function<std::string(std::u16string_view)>;

// The portable stand-in for code page 932: ASCII as is, every other UTF-16
// code unit as "?", the default character of WideCharToMultiByte.
std::string AsciiOrQuestionMarks(std::u16string_view text);

// The version resource as GetFileVersionInfoA delivers it: the data of the
// resource of type 16, id 1, in the language that the loader picks for a
// Japanese user (neutral, 0x0411, 0x0011, 0x0409, else the first). Empty when
// the file is no PE file, has none, or it does not lie within the file or
// exceeds kMaxVersionBlockSize.
std::optional<std::vector<std::uint8_t>> ReadVersionBlock(ByteSource& source);

// VerQueryValueA on a version block: the bytes that the returned pointer
// points to, as many as the value holds. A text value comes converted and
// ends before its first zero; a binary value comes as it is stored. Keys match
// without regard to ASCII letter case. Empty when the path names no value.
std::optional<std::string> QueryVersionValue(std::span<const std::uint8_t> block,
                                             std::string_view path,
                                             const AnsiConverter& convert = AsciiOrQuestionMarks);

// "\StringFileInfo\LLLLCCCC\OriginalFilename" with upper-case hex digits.
std::string OriginalFilenamePath(std::uint16_t language, std::uint16_t code_page);

// A lookup with VerQueryValueA's meaning, as QueryVersionValue gives it.
using VersionQuery = std::function<std::optional<std::string>(std::string_view path)>;

// The three outcomes from a version block's lookup: the value under the
// first translation entry (up to its first zero byte); the empty text when
// there is no translation table or it is shorter than one 4-byte entry;
// kOriginalFilenameUnknown when the string path yields nothing. The Windows
// build passes VerQueryValueA here.
std::string OriginalFilenameFromQuery(const VersionQuery& query);

std::string OriginalFilenameFromPe(ByteSource& source);
std::string OriginalFilenameFromPe(ByteSource& source, const AnsiConverter& convert);

// Opens the file with std::ifstream (binary); the empty text when it cannot be opened.
std::string ReadOriginalFilenamePortable(const std::string& path);

}  // namespace miwake
