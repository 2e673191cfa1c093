#include "identify/pe_version.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>

#include "common/text.h"

namespace miwake {
namespace {

// Every offset below is a sum of at most a few 32-bit values, so 64-bit sums
// cannot wrap; bounds are then checked by the reads themselves.

constexpr std::uint16_t kVersionType = 16;  // RT_VERSION
constexpr std::uint16_t kVersionId = 1;     // VS_VERSION_INFO

// Wine's loader order for FindResource with a neutral language and a
// Japanese thread, user and system locale; then the first entry.
constexpr std::array<std::uint16_t, 4> kLanguageOrder = {0x0000, 0x0411, 0x0011, 0x0409};

constexpr std::uint16_t Le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

constexpr std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> ReadBytes(ByteSource& source, std::uint64_t offset) {
  std::array<std::uint8_t, N> bytes;
  if (source.ReadAt(offset, bytes) != N) return std::nullopt;
  return bytes;
}

std::optional<std::uint16_t> ReadU16(ByteSource& source, std::uint64_t offset) {
  const auto b = ReadBytes<2>(source, offset);
  if (!b) return std::nullopt;
  return Le16(b->data());
}

std::optional<std::uint32_t> ReadU32(ByteSource& source, std::uint64_t offset) {
  const auto b = ReadBytes<4>(source, offset);
  if (!b) return std::nullopt;
  return Le32(b->data());
}

struct PeLayout {
  std::uint64_t section_table = 0;
  std::uint16_t section_count = 0;
  std::uint32_t size_of_headers = 0;
  std::uint32_t resource_rva = 0;
};

// The checks of a data-file load: "MZ", "PE\0\0" at e_lfanew, a known
// optional-header magic, and a resource directory entry that is present.
// The fields are read at their fixed places, whatever SizeOfOptionalHeader says.
std::optional<PeLayout> ReadPeLayout(ByteSource& source) {
  const auto mz = ReadU16(source, 0);
  const auto lfanew = ReadU32(source, 0x3C);
  if (!mz || !lfanew || *mz != 0x5A4D) return std::nullopt;
  if (*lfanew & 0x80000000u) return std::nullopt;  // a negative LONG
  const std::uint64_t nt = *lfanew;
  const auto signature = ReadU32(source, nt);
  if (!signature || *signature != 0x00004550) return std::nullopt;

  const auto section_count = ReadU16(source, nt + 6);
  const auto optional_size = ReadU16(source, nt + 20);
  const std::uint64_t optional = nt + 24;
  const auto magic = ReadU16(source, optional);
  if (!section_count || !optional_size || !magic) return std::nullopt;

  std::uint64_t directory_count_at = 0;
  if (*magic == 0x10B) {
    directory_count_at = optional + 92;
  } else if (*magic == 0x20B) {
    directory_count_at = optional + 108;
  } else {
    return std::nullopt;
  }
  const auto directory_count = ReadU32(source, directory_count_at);
  const auto size_of_headers = ReadU32(source, optional + 60);
  if (!directory_count || !size_of_headers || *directory_count <= 2) return std::nullopt;
  const auto resource_rva = ReadU32(source, directory_count_at + 4 + 2 * 8);
  if (!resource_rva || *resource_rva == 0) return std::nullopt;

  return PeLayout{optional + *optional_size, *section_count, *size_of_headers, *resource_rva};
}

// The file offset of an RVA through the first section whose raw data covers it.
std::optional<std::uint64_t> SectionOffset(ByteSource& source, const PeLayout& pe,
                                           std::uint32_t rva) {
  for (std::uint32_t i = 0; i < pe.section_count; ++i) {
    const auto header = ReadBytes<24>(source, pe.section_table + std::uint64_t{40} * i);
    if (!header) return std::nullopt;
    const std::uint64_t address = Le32(header->data() + 12);
    const std::uint64_t raw_size = Le32(header->data() + 16);
    const std::uint64_t raw_offset = Le32(header->data() + 20);
    if (address <= rva && rva < address + raw_size) return raw_offset + (rva - address);
  }
  return std::nullopt;
}

// The resource tree as Wine's loader walks it: every directory and data entry
// lies at its offset from the root. The walk has three fixed levels and reads
// at most every entry of one directory, so cyclic offsets cannot loop.
class ResourceTree {
 public:
  ResourceTree(ByteSource& source, std::uint64_t root) : source_(source), root_(root) {}

  // Binary search over the id entries, which a valid file keeps sorted.
  std::optional<std::uint64_t> FindById(std::uint64_t dir, std::uint16_t id, bool want_dir) {
    const auto counts = ReadBytes<4>(source_, dir + 12);
    if (!counts) return std::nullopt;
    const std::int32_t named = Le16(counts->data());
    std::int32_t min = named;
    std::int32_t max = named + Le16(counts->data() + 2) - 1;
    while (min <= max) {
      const std::int32_t pos = min + (max - min) / 2;
      const auto entry = Entry(dir, static_cast<std::uint32_t>(pos));
      if (!entry) return std::nullopt;
      const auto entry_id = static_cast<std::uint16_t>(Le32(entry->data()) & 0xFFFF);
      if (entry_id == id) return Target(*entry, want_dir);
      if (entry_id > id) {
        max = pos - 1;
      } else {
        min = pos + 1;
      }
    }
    return std::nullopt;
  }

  std::optional<std::uint64_t> FindFirst(std::uint64_t dir, bool want_dir) {
    const auto counts = ReadBytes<4>(source_, dir + 12);
    if (!counts) return std::nullopt;
    const std::uint32_t count = std::uint32_t{Le16(counts->data())} + Le16(counts->data() + 2);
    for (std::uint32_t i = 0; i < count; ++i) {
      const auto entry = Entry(dir, i);
      if (!entry) return std::nullopt;
      if (const auto target = Target(*entry, want_dir)) return target;
    }
    return std::nullopt;
  }

 private:
  using RawEntry = std::array<std::uint8_t, 8>;

  std::optional<RawEntry> Entry(std::uint64_t dir, std::uint32_t index) {
    return ReadBytes<8>(source_, dir + 16 + std::uint64_t{8} * index);
  }

  // The entry's target when it is of the wanted kind (directory or data).
  std::optional<std::uint64_t> Target(const RawEntry& entry, bool want_dir) const {
    const std::uint32_t target = Le32(entry.data() + 4);
    if (((target & 0x80000000u) != 0) != want_dir) return std::nullopt;
    return root_ + (target & 0x7FFFFFFFu);
  }

  ByteSource& source_;
  std::uint64_t root_;
};

std::optional<std::uint64_t> FindVersionDataEntry(ByteSource& source, const PeLayout& pe) {
  // The resource directory's own RVA may point into the headers.
  const auto root = pe.resource_rva < pe.size_of_headers
                        ? std::optional<std::uint64_t>(pe.resource_rva)
                        : SectionOffset(source, pe, pe.resource_rva);
  if (!root) return std::nullopt;
  ResourceTree tree(source, *root);
  const auto type_dir = tree.FindById(*root, kVersionType, true);
  if (!type_dir) return std::nullopt;
  const auto name_dir = tree.FindById(*type_dir, kVersionId, true);
  if (!name_dir) return std::nullopt;
  for (const std::uint16_t language : kLanguageOrder)
    if (const auto entry = tree.FindById(*name_dir, language, false)) return entry;
  return tree.FindFirst(*name_dir, false);
}

// --- The version block: nodes of wLength, wValueLength, wType, a UTF-16 key,
// the value and the children, each part 4-aligned from the node's start.

constexpr std::size_t kNodeHeaderSize = 6;

constexpr std::size_t AlignFrom(std::size_t base, std::size_t at) {
  return base + ((at - base + 3) & ~std::size_t{3});
}

struct Node {
  std::size_t offset = 0;
  std::uint16_t length = 0;
  std::uint16_t value_length = 0;  // in UTF-16 units for text, in bytes otherwise
  std::uint16_t type = 0;          // 0 binary, else text
  std::size_t key_end = 0;         // offset of the key's terminating zero unit

  std::size_t ValueOffset() const { return AlignFrom(offset, key_end + 2); }
  std::size_t ChildrenOffset() const {
    return AlignFrom(offset, ValueOffset() + std::size_t{value_length} * (type != 0 ? 2 : 1));
  }
};

class VersionBlock {
 public:
  explicit VersionBlock(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t size() const { return bytes_.size(); }
  std::uint16_t Unit(std::size_t at) const { return Le16(bytes_.data() + at); }
  bool HasUnit(std::size_t at) const { return at <= bytes_.size() && bytes_.size() - at >= 2; }

  // The node's fields, without its key; empty when its header is cut off.
  std::optional<Node> Header(std::size_t at) const {
    if (at > bytes_.size() || bytes_.size() - at < kNodeHeaderSize) return std::nullopt;
    return Node{at, Unit(at), Unit(at + 2), Unit(at + 4), 0};
  }

  // The node complete with the end of its key; empty when the key runs off the block.
  std::optional<Node> Complete(Node node) const {
    for (std::size_t at = node.offset + kNodeHeaderSize; HasUnit(at); at += 2) {
      if (Unit(at) == 0) {
        node.key_end = at;
        return node;
      }
    }
    return std::nullopt;
  }

  // Compares only as many key units as needed, so that a search never scans
  // keys that cannot match.
  bool KeyIs(const Node& node, std::string_view name) const {
    std::size_t at = node.offset + kNodeHeaderSize;
    for (const char c : name) {
      if (!HasUnit(at)) return false;
      const std::uint16_t unit = Unit(at);
      if (unit >= 0x80 || LowerAscii(static_cast<char>(unit)) != LowerAscii(c)) return false;
      at += 2;
    }
    return HasUnit(at) && Unit(at) == 0;
  }

  // VerQueryValue's search: the children lie up to the parent's wLength, and a
  // child of length 0 ends the search.
  std::optional<Node> FindChild(const Node& parent, std::string_view name) const {
    const std::size_t end = parent.offset + parent.length;
    for (std::size_t at = parent.ChildrenOffset(); at < end;) {
      const auto child = Header(at);
      if (!child) return std::nullopt;
      if (KeyIs(*child, name)) return Complete(*child);
      if (child->length == 0) return std::nullopt;
      at += (std::size_t{child->length} + 3) & ~std::size_t{3};
    }
    return std::nullopt;
  }

  std::string Value(const Node& node, const AnsiConverter& convert) const {
    const std::size_t start = std::min(node.ValueOffset(), bytes_.size());
    if (node.type == 0) {
      const std::size_t n = std::min<std::size_t>(node.value_length, bytes_.size() - start);
      return std::string(reinterpret_cast<const char*>(bytes_.data() + start), n);
    }
    std::u16string text;
    for (std::size_t i = 0; i < node.value_length && HasUnit(start + 2 * i); ++i) {
      const std::uint16_t unit = Unit(start + 2 * i);
      if (unit == 0) break;
      text.push_back(static_cast<char16_t>(unit));
    }
    return convert(text);
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace

std::size_t MemoryByteSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (offset >= bytes_.size()) return 0;
  const std::size_t n = std::min<std::uint64_t>(out.size(), bytes_.size() - offset);
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), n, out.begin());
  return n;
}

std::size_t FileByteSource::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
  const std::uint64_t page = offset / kPageSize * kPageSize;
  if (offset + out.size() > page + kPageSize) return read_(offset, out);
  if (page != page_at_ || page_size_ == 0) {
    page_at_ = page;
    page_size_ = read_(page, page_);
  }
  const std::size_t from = offset - page;
  const std::size_t n = from < page_size_ ? std::min(out.size(), page_size_ - from) : 0;
  std::copy_n(page_.begin() + static_cast<std::ptrdiff_t>(from), n, out.begin());
  return n;
}

std::string AsciiOrQuestionMarks(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char16_t unit : text) out.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
  return out;
}

std::optional<std::vector<std::uint8_t>> ReadVersionBlock(ByteSource& source) {
  const auto pe = ReadPeLayout(source);
  if (!pe) return std::nullopt;
  const auto entry_at = FindVersionDataEntry(source, *pe);
  if (!entry_at) return std::nullopt;
  const auto entry = ReadBytes<8>(source, *entry_at);
  if (!entry) return std::nullopt;
  const std::uint32_t size = Le32(entry->data() + 4);
  if (size > kMaxVersionBlockSize) return std::nullopt;
  // Unlike the directory's RVA, the data's is mapped through the sections only,
  // as Wine's loader does.
  const auto offset = SectionOffset(source, *pe, Le32(entry->data()));
  if (!offset) return std::nullopt;
  std::vector<std::uint8_t> block(size);
  if (source.ReadAt(*offset, block) != block.size()) return std::nullopt;
  return block;
}

std::optional<std::string> QueryVersionValue(std::span<const std::uint8_t> bytes,
                                             std::string_view path, const AnsiConverter& convert) {
  const VersionBlock block(bytes);
  // A root whose fifth byte is printable is read by Windows as a 16-bit
  // block, in which a 32-bit resource's keys are never found.
  if (block.size() < kNodeHeaderSize || (bytes[4] >= 0x20 && bytes[4] < 0x80)) return std::nullopt;
  auto node = block.Header(0);
  if (node) node = block.Complete(*node);
  while (node && !path.empty()) {
    const std::size_t slash = path.find('\\');
    const std::string_view name = path.substr(0, slash);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    if (!name.empty()) node = block.FindChild(*node, name);
  }
  if (!node) return std::nullopt;
  return block.Value(*node, convert);
}

std::string OriginalFilenamePath(std::uint16_t language, std::uint16_t code_page) {
  std::array<char, 48> path{};
  std::snprintf(path.data(), path.size(), "\\StringFileInfo\\%04X%04X\\OriginalFilename",
                static_cast<unsigned>(language), static_cast<unsigned>(code_page));
  return path.data();
}

std::string OriginalFilenameFromQuery(const VersionQuery& query) {
  const auto translation = query("\\VarFileInfo\\Translation");
  if (!translation || translation->size() < 4) return {};
  const auto* entry = reinterpret_cast<const std::uint8_t*>(translation->data());
  const auto value = query(OriginalFilenamePath(Le16(entry), Le16(entry + 2)));
  if (!value) return std::string(kOriginalFilenameUnknown);
  return value->substr(0, value->find('\0'));
}

std::string OriginalFilenameFromPe(ByteSource& source) {
  return OriginalFilenameFromPe(source, AsciiOrQuestionMarks);
}

std::string OriginalFilenameFromPe(ByteSource& source, const AnsiConverter& convert) {
  const auto block = ReadVersionBlock(source);
  if (!block) return {};
  return OriginalFilenameFromQuery(
      [&](std::string_view path) { return QueryVersionValue(*block, path, convert); });
}

std::string ReadOriginalFilenamePortable(const std::string& path) {
  if (path.empty()) return {};
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  file.seekg(0, std::ios::end);
  const auto end = file.tellg();
  FileByteSource source(
      end < 0 ? 0 : static_cast<std::uint64_t>(end),
      [&file](std::uint64_t offset, std::span<std::uint8_t> out) {
        file.clear();
        file.seekg(static_cast<std::streamoff>(offset));
        file.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
        return static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0));
      });
  return OriginalFilenameFromPe(source);
}

}  // namespace miwake
