// Minimal but loadable PE32 and PE32+ images with a version resource, made in
// memory for tests, seeds and files that the Windows version functions read.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace miwake::testing {

struct Translation {
  std::uint16_t language;
  std::uint16_t code_page;
};

struct StringTable {
  // e.g. "041104B0", written as given, in whatever letter case.
  std::string key;
  std::vector<std::pair<std::string, std::u16string>> strings;  // name, value
};

struct VersionInfo {
  std::uint16_t resource_language = 0x0411;  // the language of the resource entry
  std::vector<StringTable> string_tables;
  bool var_file_info = true;  // false leaves out VarFileInfo altogether
  std::vector<Translation> translations;
  // Replaces the translation value's bytes when set (e.g. a short value).
  std::vector<std::uint8_t> raw_translation;
};

struct PeImage {
  bool pe32_plus = false;
  // Each entry is one language of the version resource; none means the image
  // has no resources at all.
  std::vector<VersionInfo> versions;
  // Puts resources of other types (RT_RCDATA, RT_MANIFEST) around RT_VERSION.
  bool other_resources = false;
};

// The VS_VERSIONINFO block, as the resource data holds it.
std::vector<std::uint8_t> BuildVersionBlock(const VersionInfo& info);

// A complete image file: headers aligned to 0x200, one section at RVA 0x1000.
std::vector<std::uint8_t> BuildPe(const PeImage& image);

// Shorthand for the usual case: one table named after the one translation.
VersionInfo SimpleVersion(std::uint16_t language, std::uint16_t code_page,
                          std::u16string original_filename);

// Named images with the result that GetFileVersionInfoA and VerQueryValueA
// give for them; for tests, fuzzing seeds and the comparison under Wine.
struct SampleImage {
  std::string name;
  std::vector<std::uint8_t> bytes;
  std::string expected;
};
std::vector<SampleImage> SampleImages();

// Writes bytes to a file; false on any failure.
bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace miwake::testing
