// A fresh folder under the system's temporary folder, removed with all that
// it holds when the test ends.
#pragma once

#include <filesystem>
#include <random>
#include <string>

namespace miwake::testing {

struct TempFolder {
  TempFolder() { std::filesystem::create_directory(path); }
  ~TempFolder() { std::filesystem::remove_all(path); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string operator/(const std::string& name) const { return (path / name).string(); }

  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("miwake-test-" + std::to_string(std::random_device()()));
};

}  // namespace miwake::testing
