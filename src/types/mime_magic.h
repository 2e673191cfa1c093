// The magic rules of the shared MIME-info database: the compiled `magic`
// file that update-mime-database writes into each `mime` folder, and the
// type that its rules give a file's first bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "types/mime_database.h"

namespace miwake {

struct MagicMatch {
  std::string type;  // canonical
  int priority = 0;
  std::uint64_t offset = 0;  // where the top rule that matched found its value
};

class MimeMagic {
 public:
  // One folder's magic file, the most important folder first; false when
  // the text is no magic file (nothing is added then). Sections of a type
  // that a folder added before marked __NOMAGIC__ are left out.
  bool AddFolder(std::string_view magic);

  bool empty() const { return sections_.empty(); }

  // Finds which sections are of text types, for Match on binary content.
  void MarkTextTypes(const MimeDatabase& types);

  // How many bytes from the start of a file the rules may look at.
  std::uint64_t Reach() const { return reach_; }

  // The type that the rules give the bytes `head` from the start of a file
  // (shorter than Reach() when the file is): the matching section of the
  // highest priority, among equals one that refines another that matched,
  // else the first. Nothing when no rule matches; then `cut`, when given,
  // tells whether a rule could not be judged for want of bytes past
  // `head`: a rule under one that matched, or a top rule that starts past it.
  // With `binary`, text types' rules over a range of offsets are not
  // searched: they look for text (XML, a script) that binary content is not.
  std::optional<MagicMatch> Match(std::span<const std::uint8_t> head, const MimeDatabase& types,
                                  bool* cut = nullptr, bool binary = false) const;

 private:
  struct Rule {
    int indent = 0;
    std::uint32_t offset = 0, range = 1;
    std::uint32_t word_size = 1;
    std::string value, mask;  // the mask empty when all of value counts
    std::size_t end = 0;      // one past the last of its sub-rules
  };
  struct Section {
    int priority;
    std::string type;
    std::vector<Rule> rules;
    bool text = false;  // of a text type, as MarkTextTypes found
  };
  struct TopRule {
    std::size_t section, rule;
  };

  // Where the rule (and, when it has any, one of its sub-rules) matches.
  std::optional<std::uint64_t> MatchRule(const Section& section, std::size_t rule,
                                         std::span<const std::uint8_t> head, bool& cut) const;
  void Index(std::size_t section);

  std::vector<Section> sections_;
  // Top rules by the offset and the first byte they need there, which most
  // have; the others are tried on every file.
  std::unordered_map<std::uint32_t, std::unordered_map<std::uint8_t, std::vector<TopRule>>>
      by_first_byte_;
  std::vector<TopRule> others_;
  std::unordered_set<std::string> without_magic_;
  std::uint64_t reach_ = 0;
};

// The magic of the `mime` folders given, the most important first.
MimeMagic LoadMimeMagic(std::span<const std::string> folders);

}  // namespace miwake
