#include "miwake/messages.h"

namespace miwake {

std::string CauseText(int code) {
  switch (code) {
    case 2:
      return "no such file";
    case 3:
      return "no such folder";
    case 4:
      return "too many open files";
    case 5:
      return "permission denied";
    case kNoFileMatches:
      return "no file matches";
    case 19:
      return "read-only file system";
    case 21:
      return "not ready";
    case 30:
      return "read error";
    case 32:
      return "in use by another program";
    case 112:
      return "disk full";
    case 80:
    case 183:
      return "already exists";
    case 123:
      return "not a valid name";
    case 206:
      return "name too long";
    case 223:
      return "file too large";
    case 267:
      return "not a folder";
    case 1921:
      return "too many levels of symbolic links";
    default:
      return "system error " + std::to_string(code);
  }
}

std::string Count(std::size_t n, std::string_view singular, std::string_view plural) {
  return std::to_string(n) + ' ' + std::string(n == 1 ? singular : plural);
}

std::string EscapedForTerminal(std::string_view name, bool backslash_too) {
  std::string shown;
  shown.reserve(name.size());
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '\\' && backslash_too) {
      shown += "\\\\";
    } else if (byte >= 0x20 && byte != 0x7F) {
      shown += c;
    } else {
      constexpr std::string_view kLetters = "abtnvfr";
      shown += '\\';
      if (byte >= 7 && byte <= 13) {
        shown += kLetters[byte - 7];
      } else {
        shown += static_cast<char>('0' + (byte >> 6));
        shown += static_cast<char>('0' + ((byte >> 3) & 7));
        shown += static_cast<char>('0' + (byte & 7));
      }
    }
  }
  return shown;
}

}  // namespace miwake
