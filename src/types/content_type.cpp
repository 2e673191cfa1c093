#include "types/content_type.h"

#include <algorithm>

#include "identify/kinds.h"

namespace miwake {

void MagicLook::Look(int code, std::span<const std::uint8_t> first_block, OpenFile& file) {
  if (code == kKindText && (judge_ == nullptr || !judge_->Judge(leaf_, kKindText).lies)) return;
  bool cut = false;
  match_ = magic_.Match(first_block, types_, &cut, code == kKindOther);
  // A first block shorter than a full one was the whole file.
  if (match_ || !cut || first_block.size() < kFirstBlockSize) return;
  bytes_.resize(magic_.Reach());
  std::copy(first_block.begin(), first_block.end(), bytes_.begin());
  const auto rest = std::span(bytes_).subspan(first_block.size());
  if (!file.Seek(first_block.size())) return;
  const auto got = file.Read(rest);
  if (!got) return;
  match_ = magic_.Match(std::span(bytes_).first(first_block.size() + *got), types_, nullptr,
                        code == kKindOther);
}

std::string ContentType(int code, const std::optional<MagicMatch>& magic,
                        const MimeDatabase& types) {
  if (code == kKindText && magic) return magic->type;
  if (code != kKindOther) return KindMimeType(types, code);
  return magic ? magic->type : "application/octet-stream";
}

}  // namespace miwake
