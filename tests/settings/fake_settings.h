// In-memory stand-ins for the private-profile functions and the files
// around the settings file.
#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "common/app_error.h"
#include "settings/settings_file.h"
#include "settings/settings_steps.h"

namespace miwake::testing {

inline std::string Folded(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
  return text;
}

// Matches paths, sections and keys without regard to ASCII letter case, as
// the platform does.
class FakeProfileStore final : public ProfileStore {
 public:
  std::string Read(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& fallback) override {
    const auto it = values.find({Folded(path), Folded(section), Folded(key)});
    const std::string value = it == values.end() ? fallback : it->second;
    return value.substr(0, 1023);
  }
  bool Write(const std::string& path, const std::string& section, const std::string& key,
             const std::string& value) override {
    writes.push_back(section + "/" + key + "=" + value);
    if (fail_writes) return false;
    values[{Folded(path), Folded(section), Folded(key)}] = value;
    return true;
  }
  void Set(const std::string& path, const std::string& section, const std::string& key,
           const std::string& value) {
    values[{Folded(path), Folded(section), Folded(key)}] = value;
  }
  std::map<std::tuple<std::string, std::string, std::string>, std::string> values;
  std::vector<std::string> writes;
  bool fail_writes = false;
};

class FakeSettingsDisk final : public SettingsDisk {
 public:
  bool FileExists(const std::string& path) override { return files.contains(Folded(path)); }
  bool FolderExists(const std::string& path) override { return folders.contains(Folded(path)); }
  std::string ReadFirstLine(const std::string& path) override {
    if (!read_error.empty()) throw AppError(read_error);
    return std::string(FirstLineOf(files.at(Folded(path))));
  }
  void Delete(const std::string& path) override {
    deleted.push_back(path);
    files.erase(Folded(path));
  }
  std::map<std::string, std::string> files;  // folded path -> bytes
  std::set<std::string> folders;             // folded paths
  std::vector<std::string> deleted;
  std::string read_error;
};

}  // namespace miwake::testing
