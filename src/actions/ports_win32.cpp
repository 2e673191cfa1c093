#include "actions/ports_win32.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>

#include "common/win32_handle.h"

namespace miwake {

std::optional<RegistryValue> Win32FileAssociations::DefaultValue(const std::string& path) {
  HKEY opened = nullptr;
  // Full access is refused to users without rights to change the
  // associations; reading is all that is needed.
  if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_ALL_ACCESS, &opened) !=
          ERROR_SUCCESS &&
      ::RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
    return std::nullopt;
  const RegistryKey key(opened);
  DWORD type = 0, size = 0;
  if (::RegQueryValueExA(key.get(), nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return std::nullopt;
  RegistryValue value{type, std::string(size, '\0')};
  if (size > 0 &&
      ::RegQueryValueExA(key.get(), nullptr, nullptr, &type,
                         reinterpret_cast<BYTE*>(value.data.data()), &size) != ERROR_SUCCESS)
    return std::nullopt;
  value.type = type;
  value.data.resize(size);
  return value;
}

std::string Win32FileAssociations::ExpandEnvironment(const std::string& text) {
  // The count may be in characters rather than bytes (Wine): room for two
  // bytes each holds any double-byte text.
  const DWORD count = ::ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  std::string expanded(2 * std::max<DWORD>(count, 1), '\0');
  const DWORD needed = ::ExpandEnvironmentStringsA(text.c_str(), expanded.data(),
                                                   static_cast<DWORD>(expanded.size()));
  if (needed == 0 || needed > expanded.size()) return text;
  expanded.resize(std::strlen(expanded.c_str()));
  return expanded;
}

std::uintptr_t Win32ProgramStarter::StartProgram(const std::string& command_line) {
  return ::WinExec(command_line.c_str(), SW_SHOW);
}

std::uintptr_t Win32ProgramStarter::OpenDocument(const std::string& file, bool owned) {
  return reinterpret_cast<std::uintptr_t>(
      ::ShellExecuteA(owned ? owner_ : nullptr, "open", file.c_str(), "", "", SW_SHOW));
}

}  // namespace miwake
