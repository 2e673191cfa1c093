#include "support/pe_builder.h"

#include <cstdio>
#include <fstream>
#include <tuple>

namespace miwake::testing {
namespace {

constexpr std::uint32_t kRva = 0x1000, kHeaders = 0x200;

// Little-endian bytes that grow as they are written.
struct Out {
  std::vector<std::uint8_t> data;
  void Put(std::size_t at, std::uint64_t v, int n) {
    if (data.size() < at + n) data.resize(at + n);
    for (int i = 0; i < n; ++i) data[at + i] = static_cast<std::uint8_t>(v >> 8 * i);
  }
  void Add(std::uint64_t v, int n) { Put(data.size(), v, n); }
  void Pad(std::size_t to) { data.resize((data.size() + to - 1) / to * to); }
};

struct Node {
  std::string key;
  std::uint16_t type = 1, value_length = 0;
  std::vector<std::uint8_t> value = {};
  std::vector<Node> children = {};
};

// Nodes start 4-aligned; wLength covers the node without its trailing padding.
void Serialize(Out& out, const Node& node) {
  out.Pad(4);
  const std::size_t start = out.data.size();
  for (const std::uint16_t v : {std::uint16_t{0}, node.value_length, node.type}) out.Add(v, 2);
  for (const char c : node.key + '\0') out.Add(static_cast<unsigned char>(c), 2);
  out.Pad(4);
  out.data.insert(out.data.end(), node.value.begin(), node.value.end());
  for (const Node& child : node.children) Serialize(out, child);
  out.Put(start, out.data.size() - start, 2);
}

}  // namespace

std::vector<std::uint8_t> BuildVersionBlock(const VersionInfo& info) {
  std::vector<std::uint8_t> fixed = {0xBD, 0x04, 0xEF, 0xFE, 0, 0, 1, 0};  // VS_FIXEDFILEINFO
  fixed.resize(52);
  Node root{"VS_VERSION_INFO", 0, 52, fixed};
  if (!info.string_tables.empty()) root.children.push_back({"StringFileInfo"});
  for (const auto& [key, strings] : info.string_tables) {
    root.children.back().children.push_back({key});
    for (const auto& [name, text] : strings) {
      Out value;
      for (const char16_t unit : text + u'\0') value.Add(unit, 2);
      const auto units = static_cast<std::uint16_t>(text.size() + 1);
      root.children.back().children.back().children.push_back({name, 1, units, value.data});
    }
  }
  if (info.translation) {
    const auto n = static_cast<std::uint16_t>(info.translation->size());
    root.children.push_back({"VarFileInfo", 1, 0, {}, {{"Translation", 0, n, *info.translation}}});
  }
  Out out;
  Serialize(out, root);
  return out.data;
}

std::vector<std::uint8_t> BuildPe(const PeImage& image) {
  // The resource directories with name id 1 under each type, sorted as the
  // loader's binary search needs them; RT_VERSION (16) among others.
  std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>> versions;
  for (const VersionInfo& v : image.versions)
    versions.push_back({v.resource_language, BuildVersionBlock(v)});
  const decltype(versions) icon = {{0x0411, {1, 2, 3, 4}}},
                           manifest = {{0x0409, {'<', '?', 'x', 'm', 'l', '?', '>'}}};
  const std::pair<std::uint16_t, const decltype(versions)*> types[] = {
      {10, &icon}, {16, &versions}, {24, &manifest}};
  Out rsrc;
  std::size_t dir = 16 + 8 * std::size(types), entry = dir;
  for (const auto& type : types) entry += 40 + 8 * type.second->size();
  rsrc.data.resize(entry + 16 * versions.size() + 32);  // directories, then data entries
  rsrc.Put(14, std::size(types), 2);
  for (std::size_t t = 0; t < std::size(types); ++t) {
    const auto& leaves = *types[t].second;
    rsrc.Put(16 + 8 * t, types[t].first, 4);
    rsrc.Put(20 + 8 * t, 0x80000000u | dir, 4);
    rsrc.Put(dir + 14, 1, 2);
    rsrc.Put(dir + 16, 1, 4);
    rsrc.Put(dir + 20, 0x80000000u | (dir + 24), 4);
    rsrc.Put(dir + 38, leaves.size(), 2);
    for (std::size_t l = 0; l < leaves.size(); ++l, entry += 16) {
      rsrc.Put(dir + 40 + 8 * l, leaves[l].first, 4);
      rsrc.Put(dir + 44 + 8 * l, entry, 4);
      rsrc.Pad(8);
      rsrc.Put(entry, kRva + rsrc.data.size(), 4);
      rsrc.Put(entry + 4, leaves[l].second.size(), 4);
      rsrc.data.insert(rsrc.data.end(), leaves[l].second.begin(), leaves[l].second.end());
    }
    dir += 40 + 8 * leaves.size();
  }
  if (image.versions.empty()) rsrc.data.assign(16, 0);
  const std::size_t size = rsrc.data.size();
  rsrc.Pad(kHeaders);
  // A resource-only DLL with the headers Windows' loader checks when it maps
  // a file as data, so the images mean the same on Windows as under Wine.
  const bool plus = image.pe32_plus, resources = !image.versions.empty();
  const std::size_t nt = 0x40, opt = nt + 24, dirs = opt + (plus ? 112 : 96);
  const std::size_t sect = opt + (plus ? 240 : 224);
  Out h;
  const std::initializer_list<std::tuple<std::size_t, std::uint64_t, int>> fields = {
      {0, 0x5A4D, 2},
      {0x3C, nt, 4},
      {nt, 0x4550, 4},
      {nt + 4, plus ? 0x8664 : 0x014C, 2},
      {nt + 6, 1, 2},  // sections
      {nt + 20, sect - opt, 2},
      {nt + 22, plus ? 0x2022 : 0x2102, 2},  // an executable DLL
      {opt, plus ? 0x20B : 0x10B, 2},
      {plus ? opt + 24 : opt + 28, 0x10000000, 4},  // image base
      {opt + 32, 0x1000, 4},
      {opt + 36, 0x200, 4},  // section and file alignment
      {opt + 40, 6, 2},
      {opt + 48, 6, 2},  // OS and subsystem version
      {opt + 56, kRva + (size + 0xFFF) / 0x1000 * 0x1000, 4},
      {opt + 60, kHeaders, 4},
      {opt + 68, 2, 2},  // GUI subsystem
      {dirs - 4, 16, 4},
      {dirs + 16, resources ? kRva : 0, 4},
      {dirs + 20, resources ? size : 0, 4},
      {sect, 0x637273722E, 5},  // ".rsrc"
      {sect + 8, size, 4},
      {sect + 12, kRva, 4},
      {sect + 16, rsrc.data.size(), 4},
      {sect + 20, kHeaders, 4},
      {sect + 36, 0x40000040, 4}};  // initialised, readable data
  for (const auto& [at, value, n] : fields) h.Put(at, value, n);
  h.data.resize(kHeaders);
  h.data.insert(h.data.end(), rsrc.data.begin(), rsrc.data.end());
  return h.data;
}

VersionInfo SimpleVersion(std::uint16_t language, std::uint16_t code_page,
                          std::u16string original_filename) {
  char key[16];
  std::snprintf(key, sizeof key, "%04X%04X", unsigned{language}, unsigned{code_page});
  Out translation;
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
  const auto add = [&](std::string name, PeImage image, std::string expected) {
    samples.push_back({std::move(name), BuildPe(image), std::move(expected)});
  };
  const auto a_dll = [](void (*change)(VersionInfo&)) {
    VersionInfo info = SimpleVersion(0x0411, 0x04B0, u"A.DLL");
    change(info);
    return PeImage{false, {info}};
  };
  add("found_pe32", {false, {SimpleVersion(0x0411, 0x04B0, u"FMIWAKER.EXE")}}, "FMIWAKER.EXE");
  add("found_pe32_plus", {true, {SimpleVersion(0x0411, 0x04B0, u"SHELL32.DLL")}}, "SHELL32.DLL");
  add("found_code_page_932", {false, {SimpleVersion(0x0411, 0x03A4, u"x.Ocx")}}, "x.Ocx");
  add("empty_value", {false, {SimpleVersion(0x0409, 0x04B0, u"")}}, "");
  add("lower_case_key", a_dll([](auto& v) { v.string_tables[0].first = "041104b0"; }), "A.DLL");
  add("no_original_filename",
      a_dll([](auto& v) { v.string_tables[0].second[2].first = "OriginalFile"; }), "UnKnown");
  add("no_string_file_info", a_dll([](auto& v) { v.string_tables.clear(); }), "UnKnown");
  add("no_var_file_info", a_dll([](auto& v) { v.translation.reset(); }), "");
  add("short_translation", a_dll([](auto& v) { v.translation->resize(2); }), "");
  add("value_only_under_later_translation", a_dll([](auto& v) {
        v.translation->insert(v.translation->begin(), {9, 4, 0xB0, 4});  // English first
      }),
      "UnKnown");
  add("no_resources", PeImage{true, {}}, "");
  // One resource language per id, with "A.DLL", "B.DLL", ... in turn.
  const std::pair<const char*, std::vector<std::uint16_t>> languages[] = {
      {"B_japanese_before_english", {0x0409, 0x0411}},
      {"A_neutral_first", {0x0000, 0x0409, 0x0411}},
      {"A_japanese_neutral_before_english", {0x0011, 0x0409}},
      {"B_english_before_others", {0x0407, 0x0409, 0x040C}},
      {"A_first_otherwise", {0x0407, 0x040C}}};
  for (const auto& [name, ids] : languages) {
    PeImage image;
    for (std::size_t i = 0; i < ids.size(); ++i)
      image.versions.push_back(SimpleVersion(ids[i], 0x04B0, u"ABC"[i] + std::u16string(u".DLL")));
    add(std::string("language_") + name, image, name[0] + std::string(".DLL"));
  }
  return samples;
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace miwake::testing
