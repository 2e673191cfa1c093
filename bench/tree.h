// The folder tree that the whole-folder benchmark walks. Making it takes a
// while, so it is kept in the build folder and made again only when it is
// missing or was made by another version of the generator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace miwake::bench {

struct TreeOptions {
  std::string cache;  // holds the tree and its manifest
  std::size_t files = 50000;
  std::string test_data;  // the repository's tests/data: executables are copied from it
};

struct TreeFile {
  std::string path;  // below the root, with '/'
  int expected_kind;
  std::string family;
};

struct Tree {
  std::string root;
  std::vector<TreeFile> files;
};

// What a sorted walk of a folder finds: entries in byte order of their
// names, each folder's contents right after it.
struct Listing {
  std::vector<std::string> files;  // full names of the regular files
  std::uint64_t bytes = 0;
  std::size_t folders = 0;  // below the root
};

Listing ListTree(const std::string& root);

// Reuses the tree in `options.cache` when its manifest is this generator's
// and it still holds those files; otherwise makes it again, saying so on
// stderr.
Tree EnsureTree(const TreeOptions& options);

}  // namespace miwake::bench
