#include "support/pe_builder.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

namespace miwake::testing {
namespace {

constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kSectionAlignment = 0x1000;
constexpr std::uint32_t kSectionRva = 0x1000;
constexpr std::uint32_t kHeadersSize = 0x200;
constexpr std::uint32_t kNtHeaders = 0x40;

constexpr std::uint32_t AlignUp(std::uint32_t n, std::uint32_t to) {
  return (n + to - 1) / to * to;
}

class Bytes {
 public:
  std::vector<std::uint8_t> data;

  std::size_t size() const { return data.size(); }
  void Pad(std::size_t alignment) {
    while (data.size() % alignment != 0) data.push_back(0);
  }
  void Add16(std::uint16_t v) { Add(v, 2); }
  void Add32(std::uint32_t v) { Add(v, 4); }
  void Put16(std::size_t at, std::uint16_t v) { Put(at, v, 2); }
  void Put32(std::size_t at, std::uint32_t v) { Put(at, v, 4); }
  void Put64(std::size_t at, std::uint64_t v) { Put(at, v, 8); }
  void Append(const std::vector<std::uint8_t>& more) {
    data.insert(data.end(), more.begin(), more.end());
  }

 private:
  void Add(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) data.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void Put(std::size_t at, std::uint64_t v, int n) {
    if (data.size() < at + n) data.resize(at + n, 0);
    for (int i = 0; i < n; ++i) data[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
};

// One node of a version block; value_length is what the header states.
struct VersionNode {
  std::string key;
  std::uint16_t type = 1;
  std::vector<std::uint8_t> value;
  std::uint16_t value_length = 0;
  std::vector<VersionNode> children;
};

// Nodes start 4-aligned; wLength covers the node without its trailing padding.
void Serialize(Bytes& out, const VersionNode& node) {
  out.Pad(4);
  const std::size_t start = out.size();
  out.Add16(0);
  out.Add16(node.value_length);
  out.Add16(node.type);
  for (const char c : node.key) out.Add16(static_cast<unsigned char>(c));
  out.Add16(0);
  out.Pad(4);
  out.Append(node.value);
  for (const VersionNode& child : node.children) Serialize(out, child);
  out.Put16(start, static_cast<std::uint16_t>(out.size() - start));
}

VersionNode TextNode(const std::string& key, const std::u16string& text) {
  VersionNode node{key, 1, {}, static_cast<std::uint16_t>(text.size() + 1), {}};
  for (const char16_t unit : text) {
    node.value.push_back(static_cast<std::uint8_t>(unit));
    node.value.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  node.value.insert(node.value.end(), {0, 0});
  return node;
}

std::vector<std::uint8_t> FixedFileInfo() {
  Bytes b;
  for (const std::uint32_t v : {0xFEEF04BDu, 0x00010000u, 0x00030012u, 0u, 0x00030012u, 0u, 0x3Fu,
                                0u, 0x00040004u, 1u, 0u, 0u, 0u})
    b.Add32(v);
  return b.data;
}

struct ResourceLeaf {
  std::uint16_t language;
  std::vector<std::uint8_t> data;
};

struct ResourceType {
  std::uint16_t type;
  std::vector<ResourceLeaf> languages;  // all under the name id 1
};

// The .rsrc section: directories first, then data entries, then the data.
std::vector<std::uint8_t> BuildResourceSection(std::vector<ResourceType> types) {
  std::sort(types.begin(), types.end(), [](auto& a, auto& b) { return a.type < b.type; });
  for (auto& t : types)
    std::sort(t.languages.begin(), t.languages.end(),
              [](auto& a, auto& b) { return a.language < b.language; });

  std::size_t at = 16 + 8 * types.size();
  std::vector<std::size_t> name_dirs, language_dirs;
  for (const auto& t : types) {
    name_dirs.push_back(at);
    at += 16 + 8;
    language_dirs.push_back(at);
    at += 16 + 8 * t.languages.size();
  }
  std::vector<std::size_t> data_entries;
  for (const auto& t : types)
    for (std::size_t i = 0; i < t.languages.size(); ++i, at += 16) data_entries.push_back(at);

  Bytes out;
  auto directory = [&](std::size_t dir_at, std::uint16_t ids) { out.Put16(dir_at + 14, ids); };
  auto entry = [&](std::size_t entry_at, std::uint32_t id, std::uint32_t target) {
    out.Put32(entry_at, id);
    out.Put32(entry_at + 4, target);
  };
  directory(0, static_cast<std::uint16_t>(types.size()));
  std::size_t leaf = 0;
  for (std::size_t t = 0; t < types.size(); ++t) {
    entry(16 + 8 * t, types[t].type, 0x80000000u | static_cast<std::uint32_t>(name_dirs[t]));
    directory(name_dirs[t], 1);
    entry(name_dirs[t] + 16, 1, 0x80000000u | static_cast<std::uint32_t>(language_dirs[t]));
    directory(language_dirs[t], static_cast<std::uint16_t>(types[t].languages.size()));
    for (std::size_t l = 0; l < types[t].languages.size(); ++l, ++leaf)
      entry(language_dirs[t] + 16 + 8 * l, types[t].languages[l].language,
            static_cast<std::uint32_t>(data_entries[leaf]));
  }
  out.data.resize(at, 0);
  leaf = 0;
  for (const auto& t : types) {
    for (const auto& l : t.languages) {
      out.Pad(8);
      out.Put32(data_entries[leaf], kSectionRva + static_cast<std::uint32_t>(out.size()));
      out.Put32(data_entries[leaf] + 4, static_cast<std::uint32_t>(l.data.size()));
      out.Append(l.data);
      ++leaf;
    }
  }
  return out.data;
}

}  // namespace

std::vector<std::uint8_t> BuildVersionBlock(const VersionInfo& info) {
  VersionNode root{"VS_VERSION_INFO", 0, FixedFileInfo(), 52, {}};
  if (!info.string_tables.empty()) {
    VersionNode file_info{"StringFileInfo", 1, {}, 0, {}};
    for (const StringTable& table : info.string_tables) {
      VersionNode node{table.key, 1, {}, 0, {}};
      for (const auto& [name, value] : table.strings)
        node.children.push_back(TextNode(name, value));
      file_info.children.push_back(node);
    }
    root.children.push_back(file_info);
  }
  if (info.var_file_info) {
    Bytes value;
    for (const Translation& t : info.translations) {
      value.Add16(t.language);
      value.Add16(t.code_page);
    }
    if (!info.raw_translation.empty()) value.data = info.raw_translation;
    VersionNode var{"Translation", 0, value.data, static_cast<std::uint16_t>(value.size()), {}};
    root.children.push_back(VersionNode{"VarFileInfo", 1, {}, 0, {var}});
  }
  Bytes out;
  Serialize(out, root);
  return out.data;
}

std::vector<std::uint8_t> BuildPe(const PeImage& image) {
  std::vector<std::uint8_t> section;
  if (!image.versions.empty()) {
    std::vector<ResourceType> types{{16, {}}};
    for (const VersionInfo& v : image.versions)
      types[0].languages.push_back({v.resource_language, BuildVersionBlock(v)});
    if (image.other_resources) {
      types.push_back({10, {{0x0411, {1, 2, 3, 4}}}});
      types.push_back({24, {{0x0409, {'<', '?', 'x', 'm', 'l', '?', '>'}}}});
    }
    section = BuildResourceSection(types);
  } else {
    section.assign(16, 0);
  }
  const auto virtual_size = static_cast<std::uint32_t>(section.size());
  const std::uint32_t raw_size = AlignUp(virtual_size, kFileAlignment);
  section.resize(raw_size, 0);

  Bytes h;
  h.Put16(0, 0x5A4D);  // "MZ"
  h.Put16(2, 0x90);
  h.Put16(4, 3);
  h.Put16(8, 4);
  h.Put16(12, 0xFFFF);
  h.Put16(16, 0xB8);
  h.Put16(24, 0x40);
  h.Put32(0x3C, kNtHeaders);

  const bool plus = image.pe32_plus;
  const std::uint16_t optional_size = plus ? 240 : 224;
  h.Put32(kNtHeaders, 0x00004550);  // "PE\0\0"
  const std::size_t file = kNtHeaders + 4;
  h.Put16(file, plus ? 0x8664 : 0x014C);
  h.Put16(file + 2, 1);
  h.Put16(file + 16, optional_size);
  h.Put16(file + 18, plus ? 0x2022 : 0x2102);  // a DLL image, resources only

  const std::size_t opt = file + 20;
  h.Put16(opt, plus ? 0x20B : 0x10B);
  h.data[opt + 2] = 14;  // linker version
  h.Put32(opt + 8, raw_size);
  h.Put32(opt + 20, kSectionRva);  // BaseOfCode
  if (plus) {
    h.Put64(opt + 24, 0x180000000ull);
  } else {
    h.Put32(opt + 24, kSectionRva);  // BaseOfData
    h.Put32(opt + 28, 0x10000000u);
  }
  h.Put32(opt + 32, kSectionAlignment);
  h.Put32(opt + 36, kFileAlignment);
  h.Put16(opt + 40, 6);  // OS version
  h.Put16(opt + 48, 6);  // subsystem version
  h.Put32(opt + 56, kSectionRva + AlignUp(virtual_size, kSectionAlignment));
  h.Put32(opt + 60, kHeadersSize);
  h.Put16(opt + 68, 2);       // GUI
  h.Put16(opt + 70, 0x0100);  // NX compatible
  const std::size_t sizes = opt + 72;
  if (plus) {
    h.Put64(sizes, 0x100000);
    h.Put64(sizes + 8, 0x1000);
    h.Put64(sizes + 16, 0x100000);
    h.Put64(sizes + 24, 0x1000);
  } else {
    h.Put32(sizes, 0x100000);
    h.Put32(sizes + 4, 0x1000);
    h.Put32(sizes + 8, 0x100000);
    h.Put32(sizes + 12, 0x1000);
  }
  const std::size_t directories = opt + (plus ? 112 : 96);
  h.Put32(directories - 4, 16);
  if (!image.versions.empty()) {
    h.Put32(directories + 2 * 8, kSectionRva);
    h.Put32(directories + 2 * 8 + 4, virtual_size);
  }

  const std::size_t header = opt + optional_size;
  const char* name = image.versions.empty() ? ".data" : ".rsrc";
  h.Put64(header, 0);
  for (std::size_t i = 0; name[i] != 0; ++i)
    h.data[header + i] = static_cast<std::uint8_t>(name[i]);
  h.Put32(header + 8, virtual_size);
  h.Put32(header + 12, kSectionRva);
  h.Put32(header + 16, raw_size);
  h.Put32(header + 20, kHeadersSize);
  h.Put32(header + 36, 0x40000040u);  // initialised data, readable

  h.data.resize(kHeadersSize, 0);
  h.Append(section);
  return h.data;
}

VersionInfo SimpleVersion(std::uint16_t language, std::uint16_t code_page,
                          std::u16string original_filename) {
  char key[9];
  static const char kHex[] = "0123456789ABCDEF";
  const std::uint32_t both = (std::uint32_t{language} << 16) | code_page;
  for (int i = 0; i < 8; ++i) key[i] = kHex[(both >> (28 - 4 * i)) & 0xF];
  key[8] = 0;
  VersionInfo info;
  info.resource_language = language;
  info.translations = {{language, code_page}};
  info.string_tables = {{key,
                         {{"CompanyName", u"Miwake test"},
                          {"FileDescription", u"Sample"},
                          {"FileVersion", u"3.12.0.0"},
                          {"InternalName", u"SAMPLE"},
                          {"OriginalFilename", std::move(original_filename)},
                          {"ProductName", u"Sample"}}}};
  return info;
}

std::vector<SampleImage> SampleImages() {
  std::vector<SampleImage> samples;
  auto add = [&](std::string name, PeImage image, std::string expected) {
    samples.push_back({std::move(name), BuildPe(image), std::move(expected)});
  };
  auto one = [](VersionInfo info, bool plus = false) { return PeImage{plus, {std::move(info)}}; };

  add("found_pe32", one(SimpleVersion(0x0411, 0x04B0, u"FMIWAKER.EXE")), "FMIWAKER.EXE");
  add("found_pe32_plus", one(SimpleVersion(0x0411, 0x04B0, u"SHELL32.DLL"), true), "SHELL32.DLL");
  add("found_code_page_932", one(SimpleVersion(0x0411, 0x03A4, u"x.Ocx")), "x.Ocx");
  add("dll_mui", one(SimpleVersion(0x0409, 0x04B0, u"shell32.dll.mui"), true), "shell32.dll.mui");
  add("trailing_blank", one(SimpleVersion(0x0409, 0x04B0, u"SHELL32.DLL ")), "SHELL32.DLL ");
  add("no_dot", one(SimpleVersion(0x0409, 0x04B0, u"README")), "README");
  add("empty_value", one(SimpleVersion(0x0409, 0x04B0, u"")), "");
  add("other_resources", PeImage{false, {SimpleVersion(0x0411, 0x04B0, u"a.cpl")}, true}, "a.cpl");

  VersionInfo lower = SimpleVersion(0x0409, 0x04E4, u"quartz.ax");
  lower.string_tables[0].key = "040904e4";
  add("lower_case_table_key", one(lower), "quartz.ax");

  VersionInfo later = SimpleVersion(0x0411, 0x04B0, u"LATER.DLL");
  later.translations.insert(later.translations.begin(), {0x0409, 0x04B0});
  add("value_only_under_later_translation", one(later, true), "UnKnown");

  VersionInfo unnamed = SimpleVersion(0x0411, 0x04B0, u"");
  unnamed.string_tables[0].strings.erase(unnamed.string_tables[0].strings.begin() + 4);
  add("table_without_original_filename", one(unnamed), "UnKnown");

  VersionInfo no_strings = SimpleVersion(0x0411, 0x04B0, u"");
  no_strings.string_tables.clear();
  add("no_string_file_info", one(no_strings), "UnKnown");

  VersionInfo no_var = SimpleVersion(0x0411, 0x04B0, u"NOVAR.DLL");
  no_var.var_file_info = false;
  add("no_var_file_info", one(no_var), "");

  VersionInfo empty_translation = SimpleVersion(0x0411, 0x04B0, u"EMPTY.DLL");
  empty_translation.translations.clear();
  add("empty_translation", one(empty_translation), "");

  VersionInfo short_translation = SimpleVersion(0x0411, 0x04B0, u"SHORT.DLL");
  short_translation.raw_translation = {0x11, 0x04};
  add("short_translation", one(short_translation), "");

  add("no_resources", PeImage{false, {}}, "");
  add("no_resources_pe32_plus", PeImage{true, {}}, "");

  auto languages = [](std::vector<std::uint16_t> ids) {
    PeImage image;
    for (const std::uint16_t id : ids) {
      char name[16];
      std::snprintf(name, sizeof name, "L%04X.DLL", static_cast<unsigned>(id));
      image.versions.push_back(SimpleVersion(
          id, 0x04B0, std::u16string(name, name + std::char_traits<char>::length(name))));
    }
    return image;
  };
  add("language_japanese_before_english", languages({0x0409, 0x0411}), "L0411.DLL");
  add("language_neutral_first", languages({0x0000, 0x0409, 0x0411}), "L0000.DLL");
  add("language_japanese_neutral_before_english", languages({0x0011, 0x0409}), "L0011.DLL");
  add("language_english_before_others", languages({0x0407, 0x0409, 0x040C}), "L0409.DLL");
  add("language_first_otherwise", languages({0x0407, 0x040C}), "L0407.DLL");
  return samples;
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace miwake::testing
