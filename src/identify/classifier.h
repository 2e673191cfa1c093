// The content classifier: an open file in, a file kind code out, decided
// from the file's bytes alone.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "common/file_system.h"
#include "identify/name_search.h"
#include "identify/signatures.h"

namespace miwake {

// Bytes 10, 13 and 32 to 255 are text; tab, form feed and the rest below 32 are not.
constexpr bool IsTextByte(unsigned char b) {
  return b == 10 || b == 13 || b >= 32;
}

inline constexpr std::size_t kFirstBlockSize = 2500;

// The code that an empty file gets: no byte of it is a non-text byte.
inline constexpr int kEmptyFileKind = kKindText;

// What the first block of a file says on its own.
struct FirstBlock {
  std::size_t size = 0;  // bytes read
  std::size_t text = 0;  // text bytes among them
  std::bitset<kSignatureCount> matched;

  // More than 95 % text bytes.
  bool IsText() const { return size > 0 && 20 * text > 19 * size; }
  // A binary compound document that names no Word 6 or Excel 5: the rest of
  // the file is searched for the application that wrote it.
  bool NeedsNameSearch() const;
};

// Counts the text bytes and matches the signatures and RIFF forms in the
// first bytes of a file (at most kFirstBlockSize of them are looked at).
FirstBlock AnalyzeFirstBlock(std::span<const std::uint8_t> bytes);

// The kind, given the first block and the application names found past it.
int DecideKind(const FirstBlock& block, const AppNameFlags& names = {});

// Why a file got its kind, for a person checking the answer.
struct KindReasons {
  std::size_t block_size = 0;  // bytes of the first block read
  std::size_t text_bytes = 0;  // text bytes among them
  std::string signature;       // the deciding signature, \xNN for unprintable bytes; empty: none
  std::size_t signature_offset = 0;
  std::string app_name;  // the application named in a compound document; empty: none
  std::uint64_t app_name_offset = 0;
  std::optional<std::string> original_filename;  // of an executable's version resource
};

// The last step for executables: may turn 105 into an executable sub-kind.
class ExecutableRefiner {
 public:
  virtual ~ExecutableRefiner() = default;
  virtual int Refine(const std::string& name, int code) = 0;
  // What the refinement was decided on, for explanations.
  virtual std::optional<std::string> OriginalFilename(const std::string&) { return std::nullopt; }
};

class KeepExecutableCode final : public ExecutableRefiner {
 public:
  int Refine(const std::string&, int code) override { return code; }
};

// What looks further at a file of no kind (0) or of text (1), before it is
// closed: its first block, and the file itself for a read of its own.
class OtherContent {
 public:
  virtual ~OtherContent() = default;
  virtual void Look(int code, std::span<const std::uint8_t> first_block, OpenFile& file) = 0;
};

class Classifier {
 public:
  explicit Classifier(ExecutableRefiner& refiner) : refiner_(refiner) {}

  // Classifies `file`, opened under `name` (null: it could not be opened),
  // and closes it; -1 when it cannot be read to the end of the decision.
  // With `why`, also says why; with `other`, a file of no kind or of text
  // is shown to it.
  int Classify(std::unique_ptr<OpenFile> file, const std::string& name, KindReasons* why = nullptr,
               OtherContent* other = nullptr);

 private:
  ExecutableRefiner& refiner_;
};

}  // namespace miwake
