#include "miwake/names.h"

#include <algorithm>
#include <cstdint>

#include "common/text.h"

namespace miwake {
namespace {

// The length of the valid UTF-8 sequence at the start of `s`, or 0: a
// surrogate's number is WTF-8, not UTF-8.
std::size_t Utf8SequenceAt(std::string_view s) {
  const auto [c, n] = DecodeWtf8At(s, 0);
  const bool failed = n == 1 && static_cast<unsigned char>(s[0]) >= 0x80;
  return failed || (c >= 0xD800 && c <= 0xDFFF) ? 0 : n;
}

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

std::pair<char32_t, std::size_t> DecodeWtf8At(std::string_view s, std::size_t at) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[at + i]); };
  const unsigned char lead = b(0);
  if (lead < 0x80) return {lead, 1};
  std::size_t n;
  char32_t c;
  char32_t least;  // below it, a longer form than needed
  if (lead >= 0xC2 && lead <= 0xDF) {
    n = 2, c = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    n = 3, c = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    n = 4, c = lead & 0x07, least = 0x10000;
  } else {
    return {0xFFFD, 1};
  }
  if (s.size() - at < n) return {0xFFFD, 1};
  for (std::size_t i = 1; i < n; ++i) {
    if ((b(i) & 0xC0) != 0x80) return {0xFFFD, 1};
    c = c << 6 | (b(i) & 0x3F);
  }
  if (c < least || c > 0x10FFFF) return {0xFFFD, 1};
  return {c, n};
}

bool IsUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    // Most bytes of most names.
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t n = Utf8SequenceAt(bytes.substr(i));
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string LossyUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t n = Utf8SequenceAt(bytes.substr(i));
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out += bytes.substr(i, n);
      i += n;
    }
  }
  return out;
}

std::string Base64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k)
      group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
    for (std::size_t k = 0; k < 4; ++k) out += k <= n ? kBase64[(group >> (18 - 6 * k)) & 63] : '=';
  }
  return out;
}

}  // namespace miwake
