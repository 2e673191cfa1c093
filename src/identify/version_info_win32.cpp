// The version resource through the system's version functions.
#include <windows.h>

#include <vector>

#include "identify/pe_version.h"
#include "identify/version_refiner.h"

namespace miwake {

std::string ReadOriginalFilename(const std::string& name) {
  if (name.empty()) return {};
  DWORD unused = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(name.c_str(), &unused);
  if (size == 0) return {};
  std::vector<char> block(size);  // released on every way out
  if (!::GetFileVersionInfoA(name.c_str(), 0, size, block.data())) return {};
  return OriginalFilenameFromQuery([&](std::string_view path) -> std::optional<std::string> {
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), std::string(path).c_str(), &value, &length) ||
        value == nullptr)
      return std::nullopt;
    // The translation table is binary, of `length` bytes; a string value
    // is text up to its zero byte.
    if (path.starts_with("\\VarFileInfo\\")) return std::string(static_cast<char*>(value), length);
    return std::string(static_cast<const char*>(value));
  });
}

}  // namespace miwake
