// The type of a file's content in the shared MIME-info database's
// vocabulary: its classic kind's, else for a file of no kind the one the
// database's magic rules give it, else application/octet-stream.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "identify/classifier.h"
#include "types/mime_magic.h"
#include "types/name_claim.h"

namespace miwake {

// Matches the magic rules against a file of no kind, on the bytes the
// classifier read and, where a rule could not be judged on them, on one
// more read. A text file is matched only when its name would lie about
// text: it may be text of a format of its own (SVG, XPM, a PEM
// certificate), which its name may rightly claim. One per thread.
class MagicLook final : public OtherContent {
 public:
  MagicLook(const MimeMagic& magic, const MimeDatabase& types) : magic_(magic), types_(types) {}

  // The name of the next file, for the judge of its name; without a judge
  // text files are not matched.
  void SetName(const NameJudge* judge, std::string_view leaf) {
    judge_ = judge;
    leaf_ = leaf;
  }

  void Look(int code, std::span<const std::uint8_t> first_block, OpenFile& file) override;

  // What the last file looked at matched; cleared for the next one.
  std::optional<MagicMatch> Take() { return std::exchange(match_, std::nullopt); }

 private:
  const MimeMagic& magic_;
  const MimeDatabase& types_;
  std::optional<MagicMatch> match_;
  const NameJudge* judge_ = nullptr;
  std::string_view leaf_;
  std::vector<std::uint8_t> bytes_;  // kept between files, so as to allocate once
};

// The type of content of kind `code`, given what the magic matched for a
// file of no kind or of text; empty for a file that was not read (-1).
std::string ContentType(int code, const std::optional<MagicMatch>& magic,
                        const MimeDatabase& types);

}  // namespace miwake
