// The freedesktop.org shared MIME-info database, read as the desktop
// libraries read it: from the files that update-mime-database compiles into
// each `mime` folder, the glob patterns of file names (globs2), the
// sub-class-of relation (subclasses) and the aliases of each type (aliases).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace miwake {

// What the database says of a file name.
struct NameMatch {
  std::vector<std::string> types;  // canonical, the best first; empty: no pattern matched
  std::string pattern;             // the best pattern, as the database writes it
};

class MimeDatabase {
 public:
  // One folder's files, as their text; the most important folder first.
  // Patterns of a type that a folder added before marked __NOGLOBS__ are
  // left out, as they are for the desktop.
  void AddFolder(std::string_view globs2, std::string_view subclasses, std::string_view aliases);

  bool empty() const { return globs_.empty(); }

  // The type an alias stands for; any other name as it is.
  std::string Canonical(std::string_view type) const;

  // Whether `type` is `ancestor` or descends from it through sub-class-of,
  // with the relations every type has without saying: text/* under
  // text/plain, everything but inode/* under application/octet-stream.
  bool IsA(std::string_view type, std::string_view ancestor) const;

  // The types whose patterns match `leaf` best: a literal name first, then
  // the highest weight, then the longest pattern, then one that kept its
  // case; ties keep every type. Patterns fold case unless the database
  // marks them case-sensitive.
  NameMatch Match(std::string_view leaf) const;

  // The extension that names of the type best have: that of its "*.ext"
  // pattern of the highest weight, the first of equals; empty when none.
  std::string ExtensionFor(std::string_view type) const;

 private:
  struct Glob {
    std::string pattern, type;
    int weight;
    bool case_sensitive;
  };
  using Index = std::unordered_map<std::string, std::vector<std::size_t>>;

  void AddGlob(Glob glob);
  void Consider(std::size_t glob, std::vector<std::size_t>& best) const;

  std::vector<Glob> globs_;
  // Into globs_: whole names, "*.ext" patterns by their text after the
  // star (each case-folded or not), and the few others.
  Index literals_, suffixes_;
  std::vector<std::size_t> others_;
  std::unordered_map<std::string, std::string> aliases_;
  std::unordered_map<std::string, std::vector<std::string>> parents_;
  std::unordered_set<std::string> without_globs_;             // __NOGLOBS__ of the folders read
  std::unordered_map<std::string, std::size_t> best_suffix_;  // type to its best "*.ext" glob
};

// The `mime` folders as the desktop finds them by the XDG base directories,
// the most important first, from the values of XDG_DATA_HOME, HOME and
// XDG_DATA_DIRS (empty when not set).
std::vector<std::string> XdgMimeFolders(std::string_view data_home, std::string_view home,
                                        std::string_view data_dirs);

// The database of the `mime` folders given, the most important first; a
// folder without globs2 adds nothing.
MimeDatabase LoadMimeDatabase(std::span<const std::string> folders);

}  // namespace miwake
