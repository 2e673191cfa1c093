// The first-block decision and the application-name search on arbitrary
// bytes: every verdict must be one the kind table knows and agree with
// itself, and the fast search must find what the plain block loop finds.
#include <algorithm>

#include "identify/classifier.h"
#include "identify/kinds.h"
#include "support/reference_search.h"

namespace {

class SpanFile final : public miwake::OpenFile {
 public:
  explicit SpanFile(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool Seek(std::uint64_t position) override { return position_ = position, true; }
  std::optional<std::size_t> Read(std::span<std::uint8_t> into) override {
    const auto rest = bytes_.subspan(std::min<std::uint64_t>(position_, bytes_.size()));
    const std::size_t n = std::min(into.size(), rest.size());
    std::copy_n(rest.begin(), n, into.begin());
    return position_ += n, n;
  }
  std::optional<bool> AtEnd() override { return position_ >= bytes_.size(); }
  bool Close() override { return true; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::uint64_t position_ = 0;
};

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace miwake;
  const FirstBlock block = AnalyzeFirstBlock({data, size});
  Check(block.size == std::min(size, kFirstBlockSize) && block.text <= block.size);
  SpanFile file({data, size});
  const auto names = SearchApplicationNames(file);
  Check(names == testing::ReferenceSearch({reinterpret_cast<const char*>(data), size}));

  const int code = DecideKind(block, block.NeedsNameSearch() ? *names : AppNameFlags());
  Check(KindLabel(code) && (code < kFirstExecutableSubKind || code > kLastExecutableSubKind));
  Check(size > 0 || code == kEmptyFileKind);
  // A text verdict searches nothing and gives text or, for "BM", a bitmap.
  if (block.IsText())
    Check(!block.NeedsNameSearch() && (code == kKindText || code == kKindBitmap));
  else
    Check(code != kKindText || size == 0);
  return 0;
}
