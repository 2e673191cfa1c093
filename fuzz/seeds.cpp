// Writes the fuzzers' starting corpora into the two folders given: the PE
// builder's sample images with their bare version blocks, and compound
// documents that name an application about the name search's block bounds.
#include <cstdio>

#include "identify/pe_version.h"
#include "identify/signatures.h"
#include "support/pe_builder.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string pe = argv[1], first_block = argv[2];
  using miwake::testing::WriteBytes;
  bool ok = true;
  for (const auto& sample : miwake::testing::SampleImages()) {
    miwake::MemoryByteSource source(sample.bytes);
    const auto block = miwake::ReadVersionBlock(source);
    ok &= WriteBytes(pe + "/" + sample.name + ".dll", sample.bytes);
    ok &= !block || WriteBytes(pe + "/" + sample.name + ".block", *block);
  }
  std::vector<std::uint8_t> ole(6000, 1);
  const std::string_view ole_sig = miwake::kSignatures[miwake::kCompoundEntry].bytes;
  std::copy(ole_sig.begin(), ole_sig.end(), ole.begin());
  for (const miwake::Signature& sig : miwake::kSignatures) {
    if (sig.position != 2081) continue;  // Word 6, Excel 5 and the application names
    for (const std::size_t at : {sig.offset(), sig.offset() + 2480 - 1, std::size_t{5975}}) {
      auto bytes = ole;
      std::copy(sig.bytes.begin(), sig.bytes.end(), bytes.begin() + at);
      const std::string name = std::to_string(&sig - miwake::kSignatures.data());
      ok &= WriteBytes(first_block + "/" + name + "-" + std::to_string(at), bytes);
    }
  }
  if (!ok) std::fprintf(stderr, "cannot write the seeds\n");
  return ok ? 0 : 1;
}
