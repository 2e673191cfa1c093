#include "support/pe_builder.h"

#include <cstdio>
#include <fstream>
#include <functional>

namespace miwake::testing {
namespace {

constexpr std::uint32_t kRva = 0x1000;     // the one section's
constexpr std::uint32_t kHeaders = 0x200;  // SizeOfHeaders, also the file alignment

// Little-endian bytes that grow as they are written.
struct Bytes {
  std::vector<std::uint8_t> data;
  void Put(std::size_t at, std::uint64_t v, int n) {
    if (data.size() < at + n) data.resize(at + n);
    for (int i = 0; i < n; ++i) data[at + i] = static_cast<std::uint8_t>(v >> 8 * i);
  }
  void Add(std::uint64_t v, int n) { Put(data.size(), v, n); }
  void Add(const std::vector<std::uint8_t>& b) { data.insert(data.end(), b.begin(), b.end()); }
  void Pad(std::size_t to) { data.resize((data.size() + to - 1) / to * to); }
};

// One node of a version block; value_length is what the header states.
struct VersionNode {
  std::string key;
  std::uint16_t type = 1;
  std::vector<std::uint8_t> value = {};
  std::uint16_t value_length = 0;
  std::vector<VersionNode> children = {};
};

// Nodes start 4-aligned; wLength covers the node without its trailing padding.
void Serialize(Bytes& out, const VersionNode& node) {
  out.Pad(4);
  const std::size_t start = out.data.size();
  for (const std::uint16_t v : {std::uint16_t{0}, node.value_length, node.type}) out.Add(v, 2);
  for (const char c : node.key) out.Add(static_cast<unsigned char>(c), 2);
  out.Add(0, 2);
  out.Pad(4);
  out.Add(node.value);
  for (const VersionNode& child : node.children) Serialize(out, child);
  out.Put(start, out.data.size() - start, 2);
}

VersionNode TextNode(const std::string& key, const std::u16string& text) {
  Bytes value;
  for (const char16_t unit : text + u'\0') value.Add(unit, 2);
  return {key, 1, value.data, static_cast<std::uint16_t>(text.size() + 1)};
}

using Leaf = std::pair<std::uint16_t, std::vector<std::uint8_t>>;  // language, data

// The .rsrc section with the name id 1 under each type: directories, then data
// entries, then the data. Types and languages come sorted, as the loader's
// binary search needs them.
std::vector<std::uint8_t> ResourceSection(
    const std::vector<std::pair<std::uint16_t, std::vector<Leaf>>>& types) {
  Bytes out;
  std::size_t dir = 16 + 8 * types.size(), entry = dir;
  for (const auto& type : types) entry += 40 + 8 * type.second.size();
  std::vector<std::pair<std::size_t, const std::vector<std::uint8_t>*>> data;
  out.Put(14, types.size(), 2);
  for (std::size_t t = 0; t < types.size(); ++t) {
    const auto& [type, leaves] = types[t];
    out.Put(16 + 8 * t, type, 4);
    out.Put(20 + 8 * t, 0x80000000u | dir, 4);
    out.Put(dir + 14, 1, 2);
    out.Put(dir + 16, 1, 4);
    out.Put(dir + 20, 0x80000000u | (dir + 24), 4);
    out.Put(dir + 38, leaves.size(), 2);
    for (std::size_t l = 0; l < leaves.size(); ++l, entry += 16) {
      out.Put(dir + 40 + 8 * l, leaves[l].first, 4);
      out.Put(dir + 44 + 8 * l, entry, 4);
      data.push_back({entry, &leaves[l].second});
    }
    dir += 40 + 8 * leaves.size();
  }
  out.data.resize(entry);
  for (const auto& [at, bytes] : data) {
    out.Pad(8);
    out.Put(at, kRva + out.data.size(), 4);
    out.Put(at + 4, bytes->size(), 4);
    out.Add(*bytes);
  }
  return out.data;
}

}  // namespace

std::vector<std::uint8_t> BuildVersionBlock(const VersionInfo& info) {
  std::vector<std::uint8_t> fixed = {0xBD, 0x04, 0xEF, 0xFE, 0, 0, 1, 0};  // VS_FIXEDFILEINFO
  fixed.resize(52);  // the signature and version above, then zeros
  VersionNode root{"VS_VERSION_INFO", 0, fixed, 52};
  if (!info.string_tables.empty()) {
    VersionNode file_info{"StringFileInfo"};
    for (const auto& [key, strings] : info.string_tables) {
      file_info.children.push_back({key});
      for (const auto& [name, value] : strings)
        file_info.children.back().children.push_back(TextNode(name, value));
    }
    root.children.push_back(file_info);
  }
  if (info.translation) {
    const auto n = static_cast<std::uint16_t>(info.translation->size());
    root.children.push_back({"VarFileInfo", 1, {}, 0, {{"Translation", 0, *info.translation, n}}});
  }
  Bytes out;
  Serialize(out, root);
  return out.data;
}

std::vector<std::uint8_t> BuildPe(const PeImage& image) {
  const bool plus = image.pe32_plus, resources = !image.versions.empty();
  std::vector<Leaf> versions;
  for (const VersionInfo& v : image.versions)
    versions.push_back({v.resource_language, BuildVersionBlock(v)});
  Bytes section{resources ? ResourceSection({{10, {{0x0411, {1, 2, 3, 4}}}},
                                             {16, versions},
                                             {24, {{0x0409, {'<', '?', 'x', 'm', 'l', '?', '>'}}}}})
                          : std::vector<std::uint8_t>(16)};
  const std::size_t size = section.data.size();
  section.Pad(kHeaders);
  const std::size_t nt = 0x40, opt = nt + 24, dirs = opt + (plus ? 112 : 96);
  const std::size_t sect = opt + (plus ? 240 : 224);
  // A resource-only DLL with the headers Windows' loader checks when it maps
  // a file as data, so the images mean the same on Windows as under Wine.
  Bytes h;
  h.Put(0, 0x5A4D, 2);  // "MZ"
  h.Put(0x3C, nt, 4);
  h.Put(nt, 0x4550, 4);  // "PE"
  h.Put(nt + 4, plus ? 0x8664 : 0x014C, 2);
  h.Put(nt + 6, 1, 2);  // sections
  h.Put(nt + 20, sect - opt, 2);
  h.Put(nt + 22, plus ? 0x2022 : 0x2102, 2);  // executable DLL
  h.Put(opt, plus ? 0x20B : 0x10B, 2);
  h.Put(plus ? opt + 24 : opt + 28, 0x10000000, 4);  // image base
  h.Put(opt + 32, 0x1000, 4);                        // section alignment
  h.Put(opt + 36, 0x200, 4);                         // file alignment
  h.Put(opt + 40, 6, 2);                             // OS version
  h.Put(opt + 48, 6, 2);                             // subsystem version
  h.Put(opt + 56, kRva + (size + 0xFFF) / 0x1000 * 0x1000, 4);
  h.Put(opt + 60, kHeaders, 4);
  h.Put(opt + 68, 2, 2);  // GUI subsystem
  h.Put(dirs - 4, 16, 4);
  h.Put(dirs + 16, resources ? kRva : 0, 4);
  h.Put(dirs + 20, resources ? size : 0, 4);
  h.Put(sect + 8, size, 4);
  h.Put(sect + 12, kRva, 4);
  h.Put(sect + 16, section.data.size(), 4);
  h.Put(sect + 20, kHeaders, 4);
  h.Put(sect, 0x637273722E, 5);     // ".rsrc"
  h.Put(sect + 36, 0x40000040, 4);  // initialised, readable data
  h.data.resize(kHeaders);
  h.Add(section.data);
  return h.data;
}

VersionInfo SimpleVersion(std::uint16_t language, std::uint16_t code_page,
                          std::u16string original_filename) {
  char key[16];
  std::snprintf(key, sizeof key, "%04X%04X", unsigned{language}, unsigned{code_page});
  Bytes translation;
  translation.Add(std::uint32_t{code_page} << 16 | language, 4);
  return {language,
          {{key,
            {{"CompanyName", u"Miwake test"},
             {"InternalName", u"SAMPLE"},
             {"OriginalFilename", std::move(original_filename)},
             {"ProductName", u"Sample"}}}},
          translation.data};
}

std::vector<SampleImage> SampleImages() {
  std::vector<SampleImage> samples;
  auto add = [&](std::string name, PeImage image, std::string expected) {
    samples.push_back({std::move(name), BuildPe(image), std::move(expected)});
  };
  // A Japanese "A.DLL" with one change.
  auto with = [&](const std::function<void(VersionInfo&)>& change) {
    VersionInfo info = SimpleVersion(0x0411, 0x04B0, u"A.DLL");
    change(info);
    return PeImage{false, {info}};
  };
  // One resource language per id, the first "A.DLL", the second "B.DLL", the third "C.DLL".
  auto languages = [&](std::string name, std::vector<std::uint16_t> ids, char picked) {
    PeImage image;
    for (std::size_t i = 0; i < ids.size(); ++i)
      image.versions.push_back(SimpleVersion(ids[i], 0x04B0, u"ABC"[i] + std::u16string(u".DLL")));
    add(std::move(name), image, picked + std::string(".DLL"));
  };
  add("found_pe32", {false, {SimpleVersion(0x0411, 0x04B0, u"FMIWAKER.EXE")}}, "FMIWAKER.EXE");
  add("found_pe32_plus", {true, {SimpleVersion(0x0411, 0x04B0, u"SHELL32.DLL")}}, "SHELL32.DLL");
  add("found_code_page_932", {false, {SimpleVersion(0x0411, 0x03A4, u"x.Ocx")}}, "x.Ocx");
  add("dll_mui", {true, {SimpleVersion(0x0409, 0x04B0, u"shell32.dll.mui")}}, "shell32.dll.mui");
  add("trailing_blank", {false, {SimpleVersion(0x0409, 0x04B0, u"SHELL32.DLL ")}}, "SHELL32.DLL ");
  add("no_dot", {false, {SimpleVersion(0x0409, 0x04B0, u"README")}}, "README");
  add("empty_value", {false, {SimpleVersion(0x0409, 0x04B0, u"")}}, "");
  add("lower_case_key", with([](auto& v) { v.string_tables[0].first = "041104b0"; }), "A.DLL");
  add("table_without_original_filename",
      with([](auto& v) { v.string_tables[0].second[2].first = "OriginalFile"; }), "UnKnown");
  add("no_string_file_info", with([](auto& v) { v.string_tables.clear(); }), "UnKnown");
  add("no_var_file_info", with([](auto& v) { v.translation.reset(); }), "");
  add("empty_translation", with([](auto& v) { v.translation->clear(); }), "");
  add("short_translation", with([](auto& v) { v.translation->resize(2); }), "");
  VersionInfo later = SimpleVersion(0x0411, 0x04B0, u"LATER.DLL");
  later.translation->insert(later.translation->begin(), {9, 4, 0xB0, 4});  // English first
  add("value_only_under_later_translation", {true, {later}}, "UnKnown");
  add("no_resources", PeImage{false, {}}, "");
  add("no_resources_pe32_plus", PeImage{true, {}}, "");
  languages("language_japanese_before_english", {0x0409, 0x0411}, 'B');
  languages("language_neutral_first", {0x0000, 0x0409, 0x0411}, 'A');
  languages("language_japanese_neutral_before_english", {0x0011, 0x0409}, 'A');
  languages("language_english_before_others", {0x0407, 0x0409, 0x040C}, 'B');
  languages("language_first_otherwise", {0x0407, 0x040C}, 'A');
  return samples;
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace miwake::testing
