#include "settings/settings_file.h"

#include "common/app_error.h"
#include "settings/settings_number.h"

namespace miwake {

std::string SettingsFile::ReadText(const std::string& section, const std::string& key,
                                   const std::string& fallback) const {
  return store_.Read(path_, section, key, fallback);
}

void SettingsFile::WriteText(const std::string& section, const std::string& key,
                             const std::string& value) const {
  if (!store_.Write(path_, section, key, value)) throw AppError(path_ + " に書き込めません");
}

std::int32_t SettingsFile::ReadNumber(const std::string& section, const std::string& key,
                                      std::int32_t fallback) const {
  return ParseSettingsNumber(ReadText(section, key, "")).value_or(fallback);
}

void SettingsFile::WriteNumber(const std::string& section, const std::string& key,
                               std::int32_t value) const {
  WriteText(section, key, FormatSettingsNumber(value));
}

}  // namespace miwake
