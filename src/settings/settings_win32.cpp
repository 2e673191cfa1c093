#include "settings/settings_win32.h"

#include <windows.h>

#include <array>

#include "common/app_error.h"
#include "common/io_error_text.h"
#include "common/win32_handle.h"

namespace miwake {
namespace {

[[noreturn]] void ThrowLastIoError() {
  throw AppError(IoErrorText(static_cast<int>(::GetLastError())));
}

}  // namespace

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

bool Win32SettingsDisk::FileExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32SettingsDisk::FolderExists(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string Win32SettingsDisk::ReadFirstLine(const std::string& path) {
  FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) ThrowLastIoError();
  std::string line;
  std::array<char, 4096> chunk{};
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr)) {
      ThrowLastIoError();
    }
    const std::string_view bytes(chunk.data(), read);
    const std::string_view part = FirstLineOf(bytes);
    line += part;
    if (read == 0 || part.size() < bytes.size()) break;
  }
  if (!file.Close()) ThrowLastIoError();
  return line;
}

void Win32SettingsDisk::Delete(const std::string& path) {
  ::DeleteFileA(path.c_str());
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
