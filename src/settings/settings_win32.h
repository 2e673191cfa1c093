// The settings file's ports over the real private-profile functions and files.
#pragma once

#include <string>

#include "settings/settings_file.h"

namespace miwake {

class Win32ProfileStore final : public ProfileStore {
 public:
  std::string Read(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& fallback) override;
  bool Write(const std::string& path, const std::string& section, const std::string& key,
             const std::string& value) override;
};

// 3.12 with the decimal separator of the user's locale.
std::string LocaleVersionText();

}  // namespace miwake
