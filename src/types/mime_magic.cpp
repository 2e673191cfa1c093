#include "types/mime_magic.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <fstream>
#include <sstream>

namespace miwake {
namespace {

constexpr std::string_view kHeader{"MIME-Magic\0\n", 12};

// Reads a decimal number at `at`; false when there is none.
bool Number(std::string_view text, std::size_t& at, std::uint32_t& value) {
  const char* begin = text.data() + at;
  const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
  if (error != std::errc() || end == begin) return false;
  at += static_cast<std::size_t>(end - begin);
  return true;
}

// Values of 16- and 32-bit words are written for a big-endian machine.
void ToHostOrder(std::string& bytes, std::uint32_t word_size) {
  if constexpr (std::endian::native == std::endian::big) return;
  if ((word_size != 2 && word_size != 4) || bytes.size() % word_size != 0) return;
  for (std::size_t i = 0; i < bytes.size(); i += word_size)
    std::reverse(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                 bytes.begin() + static_cast<std::ptrdiff_t>(i + word_size));
}

}  // namespace

bool MimeMagic::AddFolder(std::string_view magic) {
  if (!magic.starts_with(kHeader)) return false;
  std::size_t at = kHeader.size();
  std::vector<Section> sections;
  std::vector<std::string> folder_without_magic;
  bool skipping = false;  // a section left out, or one whose header was not understood
  while (at < magic.size()) {
    if (magic[at] == '[') {
      const std::size_t close = magic.find("]\n", at);
      const std::size_t colon = magic.find(':', at);
      std::uint32_t priority = 0;
      std::size_t number_at = at + 1;
      if (close == std::string_view::npos || colon > close || !Number(magic, number_at, priority) ||
          number_at != colon)
        return false;
      std::string type(magic.substr(colon + 1, close - colon - 1));
      at = close + 2;
      skipping = without_magic_.contains(type);
      if (!skipping) sections.push_back({static_cast<int>(priority), std::move(type), {}});
      continue;
    }
    if (magic.substr(at).starts_with("__NOMAGIC__\n")) {
      if (!sections.empty() && !skipping) folder_without_magic.push_back(sections.back().type);
      at += 12;
      continue;
    }
    // A rule: [indent]>offset=value[&mask][~word-size][+range-length]\n
    Rule rule;
    std::uint32_t indent = 0;
    bool ok = true;
    if (magic[at] != '>') ok = Number(magic, at, indent);
    rule.indent = static_cast<int>(indent);
    ok = ok && at < magic.size() && magic[at++] == '>' && Number(magic, at, rule.offset) &&
         at + 3 <= magic.size() && magic[at++] == '=';
    if (ok) {
      const std::size_t length =
          static_cast<unsigned char>(magic[at]) << 8 | static_cast<unsigned char>(magic[at + 1]);
      at += 2;
      ok = at + length <= magic.size();
      if (ok) rule.value = magic.substr(at, length);
      at = std::min(at + length, magic.size());
      if (ok && at < magic.size() && magic[at] == '&') {
        ok = at + 1 + length <= magic.size();
        if (ok) rule.mask = magic.substr(at + 1, length);
        at = std::min(at + 1 + length, magic.size());
      }
      if (ok && at < magic.size() && magic[at] == '~') ok = Number(magic, ++at, rule.word_size);
      if (ok && at < magic.size() && magic[at] == '+') ok = Number(magic, ++at, rule.range);
      ok = ok && at < magic.size() && magic[at] == '\n' && rule.range > 0;
    }
    // A line not understood is left out, up to its end; a rule under it
    // would hang from the wrong one, so the section is left whole out.
    if (!ok) {
      const std::size_t newline = magic.find('\n', at);
      at = newline == std::string_view::npos ? magic.size() : newline + 1;
      if (!sections.empty() && !skipping) sections.pop_back();
      skipping = true;
      continue;
    }
    ++at;
    if (skipping || sections.empty()) continue;
    ToHostOrder(rule.value, rule.word_size);
    ToHostOrder(rule.mask, rule.word_size);
    reach_ = std::max<std::uint64_t>(
        reach_, std::uint64_t{rule.offset} + rule.range - 1 + rule.value.size());
    sections.back().rules.push_back(std::move(rule));
  }
  without_magic_.insert(folder_without_magic.begin(), folder_without_magic.end());
  for (Section& section : sections) {
    if (section.rules.empty()) continue;
    // Each rule's sub-rules run up to the next rule no deeper than itself.
    auto& rules = section.rules;
    for (std::size_t i = 0; i < rules.size(); ++i) {
      rules[i].end = i + 1;
      while (rules[i].end < rules.size() && rules[rules[i].end].indent > rules[i].indent)
        ++rules[i].end;
    }
    sections_.push_back(std::move(section));
    Index(sections_.size() - 1);
  }
  return true;
}

void MimeMagic::Index(std::size_t section) {
  const auto& rules = sections_[section].rules;
  for (std::size_t i = 0; i < rules.size(); ++i) {
    const Rule& rule = rules[i];
    if (rule.indent != 0) continue;
    if (rule.range == 1 && !rule.value.empty() &&
        (rule.mask.empty() || static_cast<unsigned char>(rule.mask[0]) == 0xFF))
      by_first_byte_[rule.offset][static_cast<std::uint8_t>(rule.value[0])].push_back({section, i});
    else
      others_.push_back({section, i});
  }
}

std::optional<std::uint64_t> MimeMagic::MatchRule(const Section& section, std::size_t index,
                                                  std::span<const std::uint8_t> head,
                                                  bool& cut) const {
  const Rule& rule = section.rules[index];
  const std::size_t length = rule.value.size();
  std::optional<std::uint64_t> found;
  const std::uint64_t last = std::uint64_t{rule.offset} + rule.range - 1;
  // A top rule that starts within the bytes given is judged on them.
  if (last + length > head.size()) cut = cut || rule.indent > 0 || rule.offset >= head.size();
  if (rule.mask.empty() && rule.offset < head.size()) {
    // Most rules: a plain search, which the library makes fast over long ranges.
    const std::string_view window(
        reinterpret_cast<const char*>(head.data()) + rule.offset,
        std::min<std::uint64_t>(head.size(), last + length) - rule.offset);
    const std::size_t at = window.find(rule.value);
    if (at != std::string_view::npos) found = rule.offset + at;
  }
  for (std::uint64_t start = rule.offset; !rule.mask.empty() && start <= last; ++start) {
    if (start + length > head.size()) break;
    bool same = true;
    for (std::size_t k = 0; k < length && same; ++k) {
      unsigned char byte = head[start + k], want = static_cast<unsigned char>(rule.value[k]);
      if (!rule.mask.empty()) {
        const auto mask = static_cast<unsigned char>(rule.mask[k]);
        byte &= mask;
        want &= mask;
      }
      same = byte == want;
    }
    if (same) {
      found = start;
      break;
    }
  }
  if (!found) return std::nullopt;
  bool has_sub_rules = false;
  for (std::size_t sub = index + 1; sub < rule.end; sub = section.rules[sub].end) {
    has_sub_rules = true;
    if (MatchRule(section, sub, head, cut)) return found;
  }
  return has_sub_rules ? std::nullopt : found;
}

std::optional<MagicMatch> MimeMagic::Match(std::span<const std::uint8_t> head,
                                           const MimeDatabase& types, bool* cut,
                                           bool binary) const {
  bool cut_here = false;
  std::vector<std::pair<std::size_t, std::uint64_t>> matched;  // section, offset
  const auto consider = [&](const TopRule& top) {
    if (std::any_of(matched.begin(), matched.end(),
                    [&](const auto& m) { return m.first == top.section; }))
      return;
    if (const auto offset = MatchRule(sections_[top.section], top.rule, head, cut_here))
      matched.emplace_back(top.section, *offset);
  };
  for (const auto& [offset, by_byte] : by_first_byte_) {
    if (offset >= head.size()) {
      cut_here = true;
      continue;
    }
    if (const auto it = by_byte.find(head[offset]); it != by_byte.end())
      for (const TopRule& top : it->second) consider(top);
  }
  for (const TopRule& top : others_)
    if (!binary || !sections_[top.section].text) consider(top);
  if (cut != nullptr) *cut = cut_here;
  if (matched.empty()) return std::nullopt;
  // The file's order among equals: the first section wins unless a later
  // one refines it.
  std::sort(matched.begin(), matched.end());
  std::size_t best = 0;
  for (std::size_t i = 1; i < matched.size(); ++i) {
    const Section& a = sections_[matched[i].first];
    const Section& b = sections_[matched[best].first];
    if (a.priority > b.priority ||
        (a.priority == b.priority && a.type != b.type && types.IsA(a.type, b.type)))
      best = i;
  }
  const Section& section = sections_[matched[best].first];
  return MagicMatch{types.Canonical(section.type), section.priority, matched[best].second};
}

void MimeMagic::MarkTextTypes(const MimeDatabase& types) {
  for (Section& section : sections_) section.text = types.IsA(section.type, "text/plain");
}

MimeMagic LoadMimeMagic(std::span<const std::string> folders) {
  MimeMagic magic;
  for (const std::string& folder : folders) {
    std::ifstream in(folder + "/magic", std::ios::binary);
    if (!in) continue;
    std::ostringstream text;
    text << in.rdbuf();
    magic.AddFolder(std::move(text).str());
  }
  return magic;
}

}  // namespace miwake
