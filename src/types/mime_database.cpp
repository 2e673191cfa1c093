#include "types/mime_database.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <tuple>

#include "common/text.h"

namespace miwake {
namespace {

constexpr std::string_view kWildcards = "*?[";

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), LowerAscii);
  return lower;
}

// Calls `line` with the fields of each line that is not blank or a comment.
template <typename Line>
void ForEachLine(std::string_view text, char separator, Line line) {
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view row = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!row.empty() && row.back() == '\r') row.remove_suffix(1);
    if (row.empty() || row.front() == '#') continue;
    std::vector<std::string_view> fields;
    for (std::size_t start = 0;;) {
      const std::size_t stop = row.find(separator, start);
      fields.push_back(row.substr(start, stop - start));
      if (stop == std::string_view::npos) break;
      start = stop + 1;
    }
    line(fields);
  }
}

// One character of a pattern against `c`: a literal, "?" or a bracket
// expression ("[0-9]", "[!a]"); `next` is where the pattern goes on.
bool MatchOne(std::string_view pattern, std::size_t at, char c, std::size_t& next) {
  next = at + 1;
  if (pattern[at] == '?') return true;
  if (pattern[at] != '[') return pattern[at] == c;
  std::size_t i = at + 1;
  const bool negated = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
  if (negated) ++i;
  // A "]" first in the set is one of its members.
  const std::size_t close = pattern.find(']', i + 1);
  if (i >= pattern.size() || close == std::string_view::npos) return pattern[at] == c;
  bool in = false;
  for (; i < close; ++i) {
    if (i + 2 < close && pattern[i + 1] == '-') {
      in = in || (pattern[i] <= c && c <= pattern[i + 2]);
      i += 2;
    } else {
      in = in || pattern[i] == c;
    }
  }
  next = close + 1;
  return in != negated;
}

// fnmatch(3) without flags: "*" takes any run of bytes, slashes too.
bool GlobMatches(std::string_view pattern, std::string_view name) {
  std::size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    std::size_t next;
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && MatchOne(pattern, p, name[n], next)) {
      p = next;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::optional<std::string> ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return std::move(text).str();
}

}  // namespace

void MimeDatabase::AddFolder(std::string_view globs2, std::string_view subclasses,
                             std::string_view aliases) {
  std::vector<std::string> folder_without_globs;
  ForEachLine(globs2, ':', [&](const std::vector<std::string_view>& f) {
    int weight = 0;
    if (f.size() < 3 ||
        std::from_chars(f[0].data(), f[0].data() + f[0].size(), weight).ec != std::errc())
      return;
    const std::string type(f[1]);
    if (f[2] == "__NOGLOBS__") return folder_without_globs.push_back(type);
    if (without_globs_.contains(type)) return;
    bool case_sensitive = false;
    if (f.size() > 3) {
      std::string_view flags = f[3];
      while (!flags.empty()) {
        const std::size_t comma = std::min(flags.find(','), flags.size());
        case_sensitive = case_sensitive || flags.substr(0, comma) == "cs";
        flags.remove_prefix(std::min(comma + 1, flags.size()));
      }
    }
    AddGlob({case_sensitive ? std::string(f[2]) : Lower(f[2]), type, weight, case_sensitive});
  });
  without_globs_.insert(folder_without_globs.begin(), folder_without_globs.end());
  ForEachLine(subclasses, ' ', [&](const std::vector<std::string_view>& f) {
    if (f.size() == 2) parents_[std::string(f[0])].emplace_back(f[1]);
  });
  ForEachLine(aliases, ' ', [&](const std::vector<std::string_view>& f) {
    if (f.size() == 2) aliases_.try_emplace(std::string(f[0]), f[1]);
  });
}

void MimeDatabase::AddGlob(Glob glob) {
  const std::string_view pattern = glob.pattern;
  const std::size_t index = globs_.size();
  if (pattern.find_first_of(kWildcards) == std::string_view::npos)
    literals_[glob.pattern].push_back(index);
  else if (pattern.starts_with("*.") &&
           pattern.find_first_of(kWildcards, 1) == std::string_view::npos)
    suffixes_[glob.pattern.substr(1)].push_back(index);
  else
    others_.push_back(index);
  // The weight decides, then the order of the database.
  if (pattern.starts_with("*.") && pattern.find_first_of("*?[.", 2) == std::string_view::npos) {
    const auto [best, added] = best_suffix_.try_emplace(glob.type, index);
    if (!added && globs_[best->second].weight < glob.weight) best->second = index;
  }
  globs_.push_back(std::move(glob));
}

std::string MimeDatabase::ExtensionFor(std::string_view type) const {
  const auto it = best_suffix_.find(Canonical(type));
  return it != best_suffix_.end() ? globs_[it->second].pattern.substr(2) : std::string();
}

std::string MimeDatabase::Canonical(std::string_view type) const {
  const auto it = aliases_.find(std::string(type));
  return it != aliases_.end() ? it->second : std::string(type);
}

bool MimeDatabase::IsA(std::string_view type, std::string_view ancestor) const {
  const std::string want = Canonical(ancestor);
  std::vector<std::string> todo{Canonical(type)};
  if (want == "application/octet-stream") return !todo.front().starts_with("inode/");
  std::unordered_set<std::string> seen;
  while (!todo.empty()) {
    const std::string at = std::move(todo.back());
    todo.pop_back();
    if (at == want || (want == "text/plain" && at.starts_with("text/"))) return true;
    if (!seen.insert(at).second) continue;
    if (const auto it = parents_.find(at); it != parents_.end())
      for (const std::string& parent : it->second) todo.push_back(Canonical(parent));
  }
  return false;
}

void MimeDatabase::Consider(std::size_t glob, std::vector<std::size_t>& best) const {
  const auto rank = [&](std::size_t i) {
    return std::tuple(globs_[i].weight, globs_[i].pattern.size(), globs_[i].case_sensitive);
  };
  if (!best.empty() && rank(glob) < rank(best.front())) return;
  if (!best.empty() && rank(best.front()) < rank(glob)) best.clear();
  best.push_back(glob);
}

NameMatch MimeDatabase::Match(std::string_view leaf) const {
  const std::string lower = Lower(leaf);
  std::vector<std::size_t> best;
  // Each pattern is compared with the name in its own case rule.
  const auto look_up = [&](const Index& index, std::size_t from, std::size_t skip) {
    for (const std::string_view key : {std::string_view(lower), leaf}) {
      const auto it = index.find(std::string(key.substr(from)));
      if (it == index.end()) continue;
      for (const std::size_t i : it->second) {
        const Glob& g = globs_[i];
        const std::string_view name = g.case_sensitive ? leaf : std::string_view(lower);
        if (name.substr(from) == std::string_view(g.pattern).substr(skip) &&
            std::find(best.begin(), best.end(), i) == best.end())
          Consider(i, best);
      }
      if (lower == leaf) break;
    }
  };
  look_up(literals_, 0, 0);
  if (best.empty()) {
    for (std::size_t dot = leaf.find('.'); dot != std::string_view::npos;
         dot = leaf.find('.', dot + 1))
      look_up(suffixes_, dot, 1);
    for (const std::size_t i : others_)
      if (GlobMatches(globs_[i].pattern, globs_[i].case_sensitive ? leaf : std::string_view(lower)))
        Consider(i, best);
  }
  NameMatch match;
  if (best.empty()) return match;
  std::sort(best.begin(), best.end());
  match.pattern = globs_[best.front()].pattern;
  for (const std::size_t i : best) {
    std::string type = Canonical(globs_[i].type);
    if (std::find(match.types.begin(), match.types.end(), type) == match.types.end())
      match.types.push_back(std::move(type));
  }
  return match;
}

std::vector<std::string> XdgMimeFolders(std::string_view data_home, std::string_view home,
                                        std::string_view data_dirs) {
  std::vector<std::string> folders;
  if (!data_home.empty())
    folders.push_back(std::string(data_home) + "/mime");
  else if (!home.empty())
    folders.push_back(std::string(home) + "/.local/share/mime");
  if (data_dirs.empty()) data_dirs = "/usr/local/share:/usr/share";
  while (!data_dirs.empty()) {
    const std::size_t colon = std::min(data_dirs.find(':'), data_dirs.size());
    if (colon > 0) folders.push_back(std::string(data_dirs.substr(0, colon)) + "/mime");
    data_dirs.remove_prefix(std::min(colon + 1, data_dirs.size()));
  }
  return folders;
}

MimeDatabase LoadMimeDatabase(std::span<const std::string> folders) {
  MimeDatabase database;
  for (const std::string& folder : folders) {
    const auto globs2 = ReadWhole(folder + "/globs2");
    if (!globs2) continue;
    database.AddFolder(*globs2, ReadWhole(folder + "/subclasses").value_or(""),
                       ReadWhole(folder + "/aliases").value_or(""));
  }
  return database;
}

}  // namespace miwake
