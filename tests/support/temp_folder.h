// A fresh folder under the system's temporary folder, removed with all that
// it holds when the test ends.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace miwake::testing {

struct TempFolder {
  TempFolder() { std::filesystem::create_directory(dir); }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // The folder's path with a trailing separator.
  std::string path() const { return (dir / "").string(); }
  // Writes a file in the folder and returns its full name.
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path() + name, std::ios::binary) << bytes;
    return path() + name;
  }

  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("miwake-test-" + std::to_string(std::random_device()()));
};

}  // namespace miwake::testing
