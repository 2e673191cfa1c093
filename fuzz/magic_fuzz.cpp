// The magic rules on arbitrary bytes: the real database's rules matched
// against them, and the bytes read as a magic file of their own and matched
// against themselves. The sanitizers watch every read.
#include <string>
#include <vector>

#include "types/mime_magic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace miwake;
  static const std::vector<std::string> folders{"/usr/share/mime"};
  static const MimeDatabase types = LoadMimeDatabase(folders);
  static const MimeMagic magic = LoadMimeMagic(folders);
  if (magic.empty()) __builtin_trap();
  const std::span<const std::uint8_t> bytes(data, size);
  if (const auto match = magic.Match(bytes, types);
      match && (match->type.empty() || match->offset >= size))
    __builtin_trap();

  MimeMagic own;
  if (own.AddFolder(std::string("MIME-Magic\0\n", 12) +
                    std::string(reinterpret_cast<const char*>(data), size)))
    if (const auto match = own.Match(bytes, types); match && match->offset >= size)
      __builtin_trap();
  return 0;
}
