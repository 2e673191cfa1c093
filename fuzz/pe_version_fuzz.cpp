// Feeds arbitrary bytes to the reader twice: as a whole file and as a bare
// version block, so that block parsing is reached without a valid PE around it.
#include <cstdint>
#include <span>

#include "identify/pe_version.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  miwake::MemoryByteSource source(bytes);
  const std::string from_file = miwake::OriginalFilenameFromPe(source);
  const std::string from_block = miwake::OriginalFilenameFromQuery(
      [&](std::string_view path) { return miwake::QueryVersionValue(bytes, path); });
  // No value can be longer than the block that holds it.
  if (from_file.size() > miwake::kMaxVersionBlockSize || from_block.size() > size) __builtin_trap();
  return 0;
}
