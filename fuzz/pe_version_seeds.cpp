// Writes each sample image of the PE builder into the folder given, plus its
// bare version block, so the fuzzer starts from valid structures.
#include <cstdio>
#include <string>

#include "identify/pe_version.h"
#include "support/pe_builder.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string folder = argv[1];
  for (const auto& sample : miwake::testing::SampleImages()) {
    miwake::MemoryByteSource source(sample.bytes);
    const auto block = miwake::ReadVersionBlock(source);
    if (!miwake::testing::WriteBytes(folder + "/" + sample.name + ".dll", sample.bytes) ||
        (block && !miwake::testing::WriteBytes(folder + "/" + sample.name + ".block", *block))) {
      std::fprintf(stderr, "cannot write into %s\n", folder.c_str());
      return 1;
    }
  }
}
