#include "miwake/windows_names.h"

#include <array>
#include <cstdint>
#include <vector>

#include "common/text.h"
#include "miwake/names.h"

namespace miwake {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
  const auto put = [&](unsigned v) { out += static_cast<char>(v); };
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | c >> 6);
    put(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    put(0xE0 | c >> 12);
    put(0x80 | (c >> 6 & 0x3F));
    put(0x80 | (c & 0x3F));
  } else {
    put(0xF0 | c >> 18);
    put(0x80 | (c >> 12 & 0x3F));
    put(0x80 | (c >> 6 & 0x3F));
    put(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  }
}

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

constexpr std::string_view kExtendedPrefix = "\\\\?\\";

// The length of the root of a whole name: "C:", or "\\server\share".
std::size_t RootLength(std::string_view full) {
  if (full.size() >= 2 && full[1] == ':') return 2;
  if (full.size() < 2 || !IsSeparator(full[0]) || !IsSeparator(full[1])) return 0;
  std::size_t at = 2;
  for (int part = 0; part < 2; ++part) {
    while (at < full.size() && !IsSeparator(full[at])) ++at;
    if (part == 0 && at < full.size()) ++at;
  }
  return at;
}

}  // namespace

std::string Wtf8FromUtf16(std::u16string_view units) {
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF)
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    AppendUtf8(out, c);
  }
  return out;
}

std::u16string Utf16FromWtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const auto [c, n] = DecodeWtf8At(text, at);
    AppendUtf16(out, c);
    at += n;
  }
  return out;
}

std::string FullWindowsPath(std::string_view current, std::string_view name) {
  if (name.starts_with(kExtendedPrefix)) {
    name.remove_prefix(kExtendedPrefix.size());
    if (name.size() >= 4 && SameTextAscii(name.substr(0, 4), "UNC\\"))
      return "\\\\" + std::string(name.substr(4));
    return std::string(name);
  }
  std::string joined;
  if (RootLength(name) > 0 && (name[1] != ':' || (name.size() > 2 && IsSeparator(name[2])))) {
    joined = name;  // whole already
  } else if (name.size() >= 2 && name[1] == ':') {
    // "D:x" is relative to the folder of its drive; only that of the
    // current drive is known.
    const bool same_drive =
        !current.empty() && SameTextAscii(current.substr(0, 1), name.substr(0, 1));
    joined = (same_drive ? std::string(current) : std::string(name.substr(0, 2))) + '\\' +
             std::string(name.substr(2));
  } else if (!name.empty() && IsSeparator(name[0])) {
    joined = std::string(current.substr(0, RootLength(current))) + std::string(name);
  } else {
    joined = std::string(current) + '\\' + std::string(name);
  }
  const std::size_t root = RootLength(joined);
  std::string full(joined.substr(0, root));
  for (char& c : full)
    if (c == '/') c = '\\';
  const std::size_t base = full.size();
  std::size_t at = root;
  while (at < joined.size()) {
    std::size_t end = at;
    while (end < joined.size() && !IsSeparator(joined[end])) ++end;
    const std::string_view part = std::string_view(joined).substr(at, end - at);
    at = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      // Never above the root.
      const std::size_t up = full.rfind('\\');
      full.resize(up == std::string::npos || up < base ? base : up);
      continue;
    }
    full += '\\';
    full += part;
  }
  if (full.size() == base) full += '\\';
  return full;
}

std::string ExtendedWindowsPath(std::string_view full) {
  if (full.starts_with("\\\\")) return "\\\\?\\UNC\\" + std::string(full.substr(2));
  return std::string(kExtendedPrefix) + std::string(full);
}

bool IsReservedDeviceName(std::string_view leaf) {
  std::string_view base = leaf.substr(0, leaf.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  static constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
  for (const std::string_view device : kPlain)
    if (SameTextAscii(base, device)) return true;
  return base.size() == 4 &&
         (SameTextAscii(base.substr(0, 3), "COM") || SameTextAscii(base.substr(0, 3), "LPT")) &&
         base[3] >= '1' && base[3] <= '9';
}

std::string ShownInCodePage(std::string_view wtf8, const CharacterEncoder& encode) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  shown.reserve(wtf8.size());
  for (std::size_t at = 0; at < wtf8.size();) {
    if (static_cast<unsigned char>(wtf8[at]) < 0x80) {
      shown += wtf8[at++];
      continue;
    }
    const auto [c, n] = DecodeWtf8At(wtf8, at);
    at += n;
    std::u16string units;
    AppendUtf16(units, c);
    if (const auto bytes = encode(units)) {
      shown += *bytes;
      continue;
    }
    std::string digits;
    for (char32_t v = c; v != 0 || digits.size() < 4; v >>= 4)
      digits.insert(digits.begin(), kHex[v & 15]);
    shown += "<U+" + digits + '>';
  }
  return shown;
}

}  // namespace miwake
