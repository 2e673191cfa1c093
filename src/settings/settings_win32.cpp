#include "settings/settings_win32.h"

#include <windows.h>

#include <array>

#include "settings/settings_steps.h"

namespace miwake {

std::string Win32ProfileStore::Read(const std::string& path, const std::string& section,
                                    const std::string& key, const std::string& fallback) {
  std::array<char, 1024> buffer{};
  const DWORD copied =
      ::GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(),
                                 static_cast<DWORD>(buffer.size()), path.c_str());
  return std::string(buffer.data(), copied);
}

bool Win32ProfileStore::Write(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& value) {
  return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()) !=
         0;
}

std::string LocaleVersionText() {
  std::array<char, 8> separator{};
  if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator.data(),
                       static_cast<int>(separator.size())) == 0) {
    return VersionText(".");
  }
  return VersionText(separator.data());
}

}  // namespace miwake
