// The first-block decision and the application-name search on arbitrary
// bytes: every verdict must be one the kind table knows and agree with
// itself, and the fast search must find what the plain block loop finds.
#include <algorithm>

#include "identify/classifier.h"
#include "identify/kinds.h"
#include "support/memory_file_system.h"
#include "support/reference_search.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace miwake;
  const FirstBlock block = AnalyzeFirstBlock({data, size});
  Check(block.size == std::min(size, kFirstBlockSize) && block.text <= block.size);
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  testing::MemoryFileSystem files;
  files.Add("f", bytes);
  const auto names = SearchApplicationNames(*files.OpenForClassify("f"));
  Check(names == testing::ReferenceSearch(bytes));

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
