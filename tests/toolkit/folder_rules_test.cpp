#include "toolkit/folder_rules.h"

#include <gtest/gtest.h>

#include <strings.h>

#include <array>

namespace miwake {
namespace {

using enum FolderPicture;

TEST(DriveItemTest, TextAndPictureFollowTheDriveTypeAndTheLetterFindsTheItem) {
  const struct {
    unsigned type;
    std::optional<std::string_view> network;
    std::string text;
    std::optional<DrivePicture> picture;
  } rows[] = {
      {kDriveRemovable, std::nullopt, "A:", DrivePicture::kFloppy},
      {kDriveFixed, std::nullopt, "A: [Sys]", DrivePicture::kHard},
      {kDriveRemote, "\\\\srv\\pub", "A: \\\\srv\\pub", DrivePicture::kNetwork},
      {kDriveRemote, std::nullopt, "A: [Sys]", DrivePicture::kNetwork},
      {kDriveCdrom, std::nullopt, "A: [Sys]", DrivePicture::kCdrom},
      {kDriveRamdisk, std::nullopt, "A: [Sys]", DrivePicture::kRam},
      {1, std::nullopt, "A: [Sys]", std::nullopt},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(DriveItemText('A', row.type, "Sys", row.network), row.text) << row.type;
    EXPECT_EQ(DrivePictureFor(row.type), row.picture) << row.type;
  }
  const std::vector<std::string> texts = {"a:", "c: [x]", "dc: [y]", "q:"};
  for (const auto& [letter, index] :
       {std::pair<char, std::optional<std::size_t>>{'A', 0}, {'q', 3}, {'d', std::nullopt}})
    EXPECT_EQ(DriveItemIndex(texts, letter), index) << letter;
  EXPECT_EQ(DriveOf("Q:\\x"), 'q');
  EXPECT_EQ(RootOf('q'), "Q:\\");
}

TEST(FolderListItemsTest, RootPathCurrentAndSubfoldersWithTheirIndents) {
  const std::vector<std::string> subs = {"new", "old"};
  EXPECT_EQ(FolderListItems("C:\\", subs),
            (std::vector<FolderItem>{{"C:\\", kCurrent, 2, "C:\\"},
                                     {"new", kClosed, 10, "C:\\new"},
                                     {"old", kClosed, 10, "C:\\old"}}));
  // 表 and ソ end in the byte of a backslash and must stay whole names.
  EXPECT_EQ(FolderListItems("D:\\表\\ソ\\x", {subs.data(), 1}),
            (std::vector<FolderItem>{{"D:\\", kOpen, 2, "D:\\"},
                                     {"表", kOpen, 6, "D:\\表"},
                                     {"ソ", kOpen, 10, "D:\\表\\ソ"},
                                     {"x", kCurrent, 14, "D:\\表\\ソ\\x"},
                                     {"new", kClosed, 18, "D:\\表\\ソ\\x\\new"}}));
  EXPECT_EQ(FolderListItems("\\\\srv\\pub", {}),
            (std::vector<FolderItem>{{"\\\\srv\\pub", kCurrent, 2, "\\\\srv\\pub"}}));
  EXPECT_EQ(FolderListItems("\\\\srv\\pub\\a", {}),
            (std::vector<FolderItem>{{"\\\\srv\\pub\\", kOpen, 2, "\\\\srv\\pub\\"},
                                     {"a", kCurrent, 6, "\\\\srv\\pub\\a"}}));
}

TEST(FolderFilterTest, OnlyPlainFoldersOtherThanTheDotEntriesSortedIgnoringCase) {
  EXPECT_TRUE(IsListedFolder("a", 0x10));
  EXPECT_TRUE(IsListedFolder("...", 0x30));  // archive bit set
  for (const auto& [name, attributes] :
       {std::pair{".", 0x10}, {"..", 0x10}, {"h", 0x12}, {"s", 0x14}, {"f", 0x20}})
    EXPECT_FALSE(IsListedFolder(name, attributes)) << name << " " << attributes;
  const NameOrder ignoring_case = [](const std::string& a, const std::string& b) {
    return strcasecmp(a.c_str(), b.c_str());
  };
  EXPECT_EQ(SortedUniqueNames({"b", "Abc", "B", "a", "abc", "C"}, ignoring_case),
            (std::vector<std::string>{"a", "Abc", "b", "C"}))
      << "the first of equal names stays";
}

TEST(FolderRulesTest, NamesShownAsStored) {
  // Names as stored when the volume keeps (2) or tells apart (1) letter case.
  EXPECT_EQ((std::array{ShowsNamesAsStored(0x4), ShowsNamesAsStored(0x1), ShowsNamesAsStored(0x2)}),
            (std::array{false, true, true}));
}

}  // namespace
}  // namespace miwake
