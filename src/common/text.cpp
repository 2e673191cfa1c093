#include "common/text.h"

#include <algorithm>

namespace miwake {

std::size_t LastDelimiterEnd(std::string_view name, std::string_view delimiters, char* found) {
  // Shift-JIS can only be split into characters from the front, so the scan
  // goes forward and remembers the last delimiter it passed.
  std::size_t end = 0;
  char which = '\0';
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto b = static_cast<unsigned char>(name[i]);
    if (IsLeadByte(b) && i + 1 < name.size()) {
      ++i;
      continue;
    }
    if (delimiters.find(name[i]) != std::string_view::npos) {
      end = i + 1;
      which = name[i];
    }
  }
  if (found != nullptr) *found = which;
  return end;
}

namespace {

// Index of the dot that starts the extension, or npos.
std::size_t ExtensionDot(std::string_view name) {
  char which = '\0';
  const std::size_t end = LastDelimiterEnd(name, ".\\:", &which);
  return which == '.' ? end - 1 : std::string_view::npos;
}

}  // namespace

std::size_t LeafStart(std::string_view path, NameStyle style) {
  switch (style) {
    case NameStyle::kPosix:
      break;
    case NameStyle::kWindows:
      return LastDelimiterEnd(path, "\\/:", nullptr);
    case NameStyle::kWindowsBackslash:
      return LastDelimiterEnd(path, "\\", nullptr);
    case NameStyle::kWindowsUtf8: {
      // No byte of a UTF-8 sequence is one of them.
      const std::size_t at = path.find_last_of("\\/:");
      return at == std::string_view::npos ? 0 : at + 1;
    }
  }
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? 0 : slash + 1;
}

std::string JoinPath(std::string_view folder, std::string_view leaf, NameStyle style) {
  std::string path;
  path.reserve(folder.size() + 1 + leaf.size());
  path = folder;
  const bool separated = folder.empty() ? style != NameStyle::kWindowsBackslash
                                        : LeafStart(folder, style) == folder.size();
  if (!separated) path += style == NameStyle::kPosix ? '/' : '\\';
  path += leaf;
  return path;
}

std::string ExtensionOf(std::string_view name) {
  const std::size_t dot = ExtensionDot(name);
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string ReplaceExtension(std::string_view name, std::string_view new_extension) {
  std::string result(name.substr(0, ExtensionDot(name)));
  result += new_extension;
  return result;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string FirstCommandLineArgument(std::string_view line) {
  std::size_t i = line.find_first_not_of(" \t");
  std::string arg;
  bool quoted = false;
  while (i < line.size()) {
    const char c = line[i];
    if (!quoted && (c == ' ' || c == '\t')) break;
    if (IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < line.size()) {
      arg.append(line.substr(i, 2));
      i += 2;
    } else if (c == '\\') {
      const std::size_t run = std::min(line.find_first_not_of('\\', i), line.size()) - i;
      i += run;
      if (i < line.size() && line[i] == '"') {
        arg.append(run / 2, '\\');
        if (run % 2 == 1) arg += line[i++];
      } else {
        arg.append(run, '\\');
      }
    } else if (c == '"') {
      quoted = !quoted;
      ++i;
    } else {
      arg += c;
      ++i;
    }
  }
  return arg;
}

}  // namespace miwake
