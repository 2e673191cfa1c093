// The settings file's ports over the real private-profile functions and files.
#pragma once

#include <string>

#include "settings/settings_file.h"
#include "settings/settings_steps.h"

namespace miwake {

class Win32ProfileStore final : public ProfileStore {
 public:
  std::string Read(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& fallback) override;
  bool Write(const std::string& path, const std::string& section, const std::string& key,
             const std::string& value) override;
};

class Win32SettingsDisk final : public SettingsDisk {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::string ReadFirstLine(const std::string& path) override;
  void Delete(const std::string& path) override;
};

// 3.12 with the decimal separator of the user's locale.
std::string LocaleVersionText();

}  // namespace miwake
