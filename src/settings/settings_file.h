// The settings file FMIWAKER.ini beside the executable, read and written one
// value at a time through the platform's private-profile functions.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace miwake {

// GetPrivateProfileStringA and WritePrivateProfileStringA on one file.
class ProfileStore {
 public:
  virtual ~ProfileStore() = default;
  // At most 1023 characters, the default when the file, section or key is missing.
  virtual std::string Read(const std::string& path, const std::string& section,
                           const std::string& key, const std::string& fallback) = 0;
  // False when the platform reports failure.
  virtual bool Write(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) = 0;
};

// An access object on one settings file; making one touches no file.
class SettingsFile {
 public:
  SettingsFile(ProfileStore& store, std::string path) : store_(store), path_(std::move(path)) {}

  const std::string& path() const { return path_; }
  std::string ReadText(const std::string& section, const std::string& key,
                       const std::string& fallback) const;
  // Throws AppError "<path> に書き込めません" when the platform refuses.
  void WriteText(const std::string& section, const std::string& key,
                 const std::string& value) const;
  std::int32_t ReadNumber(const std::string& section, const std::string& key,
                          std::int32_t fallback) const;
  void WriteNumber(const std::string& section, const std::string& key, std::int32_t value) const;

 private:
  ProfileStore& store_;
  std::string path_;
};

}  // namespace miwake
