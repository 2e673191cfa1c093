// Real files of formats that no classic kind covers, against the magic
// rules of the system's shared MIME-info database.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "identify/classifier.h"
#include "support/sample_files.h"
#include "types/content_type.h"

namespace miwake {
namespace {

#ifndef _WIN32
// The table: file under tests/data/types, then the type its format has.
TEST(RealTypesTest, EachFileOfNoKindGetsTheTypeOfItsFormat) {
  const std::vector<std::string> folders{"/usr/share/mime"};
  const MimeDatabase types = LoadMimeDatabase(folders);
  const MimeMagic magic = LoadMimeMagic(folders);
  ASSERT_FALSE(types.empty() || magic.empty()) << "shared-mime-info is not installed";
  const auto files = MakePlatformFileSystem();
  KeepExecutableCode refiner;
  Classifier classifier{refiner};
  MagicLook look(magic, types);
  const std::string dir = MIWAKE_TEST_DATA "/types/";
  const auto rows = testing::ReadTable(dir + "expected.tsv");
  EXPECT_GE(rows.size(), 20u) << "no table under " << dir;
  for (const auto& row : rows) {
    const std::string file = dir + row.at(0);
    EXPECT_TRUE(files->FileExists(file)) << file;
    const int code = classifier.Classify(files->OpenForClassify(file), file, nullptr, &look);
    EXPECT_EQ(code, kKindOther) << file;
    EXPECT_EQ(ContentType(code, look.Take(), types), row.at(1)) << file;
  }
}
#endif

}  // namespace
}  // namespace miwake
