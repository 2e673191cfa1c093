// Whether a file's name lies about its content. A name lies when its
// extension claims a kind of content and the content is a different one; a
// name that claims nothing never lies. What an extension claims comes from
// the shared MIME-info database and from the classic kinds' extensions.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "types/mime_database.h"

namespace miwake {

// The type of a kind's content in the database's vocabulary (alias
// resolved), or a name of this program's own for the kinds the database
// lacks; empty for codes with none (-1, 0, 104 and unknown ones).
std::string KindMimeType(const MimeDatabase& database, int code);

struct NameVerdict {
  bool claims = false;    // the extension claims a kind of content
  bool lies = false;      // and the content is another one
  std::string claimed;    // the type the extension gave, the best first
  std::string content;    // the content's type; empty when it has none
  std::string pattern;    // the glob that matched ("*.doc")
  std::string extension;  // the one the content's names have, for a lie
};

class NameJudge {
 public:
  explicit NameJudge(const MimeDatabase& database) : database_(database) {}

  // Of a file called `leaf` (no folder) whose content is of kind `code`,
  // of type `content` when the kind has none of its own (0) or text has a
  // more precise one (1; its extension then, else "txt"). Content that
  // was not read, of no known type, or of a type without an extension to
  // give, and Rupo files, never lie.
  NameVerdict Judge(std::string_view leaf, int code, const std::string& content = {}) const;

 private:
  bool Agrees(int code, const std::string& content, const std::vector<std::string>& claimed,
              const std::vector<int>& kinds, bool executable_image) const;

  const MimeDatabase& database_;
};

}  // namespace miwake
