// Minimal PE32 and PE32+ images with a version resource, made in memory for
// tests, fuzzing seeds and files that the Windows version functions read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace miwake::testing {

using Strings = std::vector<std::pair<std::string, std::u16string>>;  // name, value

struct VersionInfo {
  std::uint16_t resource_language = 0x0411;
  // Each under its key, e.g. "041104B0", written as given.
  std::vector<std::pair<std::string, Strings>> string_tables;
  // The Translation value's bytes; none leaves out VarFileInfo.
  std::optional<std::vector<std::uint8_t>> translation;
};

struct PeImage {
  bool pe32_plus = false;
  std::vector<VersionInfo> versions;  // one per resource language; none, no resources at all
};

// The VS_VERSIONINFO block, as the resource data holds it.
std::vector<std::uint8_t> BuildVersionBlock(const VersionInfo& info);
// Headers of 0x200 bytes, then one section at RVA 0x1000 with the resources.
std::vector<std::uint8_t> BuildPe(const PeImage& image);
// One table named after the one translation.
VersionInfo SimpleVersion(std::uint16_t language, std::uint16_t code_page,
                          std::u16string original_filename);

// Images with what GetFileVersionInfoA and VerQueryValueA give for them.
struct SampleImage {
  std::string name;
  std::vector<std::uint8_t> bytes;
  std::string expected;
};
std::vector<SampleImage> SampleImages();

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace miwake::testing
