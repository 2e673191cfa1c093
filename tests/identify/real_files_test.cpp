// Real third-party files with the code each must get (data/real/expected.tsv).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "identify/classifier.h"
#include "identify/kinds.h"
#include "identify/version_refiner.h"

namespace miwake {
namespace {

struct Expected {
  int code;
  std::string file;
};

std::vector<Expected> ReadExpected(const std::string& dir) {
  std::ifstream in(dir + "/expected.tsv");
  std::vector<Expected> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string code, ext, file;
    std::getline(fields, code, '\t');
    std::getline(fields, ext, '\t');
    std::getline(fields, file);
    rows.push_back({std::stoi(code), file});
  }
  return rows;
}

TEST(RealFilesTest, EachFileGetsItsCode) {
  const std::string dir = MIWAKE_REAL_FILES_DIR;
  const auto rows = ReadExpected(dir);
  ASSERT_GE(rows.size(), 70u) << "no table under " << dir;
  auto files = MakePlatformFileSystem();
  NoBusyCursor cursor;
  VersionResourceRefiner refiner;
  int checked = 0;
  for (const Expected& row : rows) {
    const std::string name = dir + "/" + row.file;
    if (!files->FileExists(name)) continue;  // listed, but not shipped with the project
    EXPECT_EQ(IdentifyFile(name, ClassifierPorts{*files, cursor, refiner}), row.code) << row.file;
    ++checked;
  }
  EXPECT_GE(checked, 70);
}

}  // namespace
}  // namespace miwake
