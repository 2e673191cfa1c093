#include "dialogs/dialog_rules.h"

#include <gtest/gtest.h>

#include <utility>

namespace miwake {
namespace {

TEST(DialogRulesTest, StoredFolderEndsInOneBackslashAndTheAboutBoxIsCentredOnScreen) {
  for (const auto& [typed, stored] :
       {std::pair{"C:\\TEMP", "C:\\TEMP\\"}, {"C:\\TEMP\\", "C:\\TEMP\\"}, {"C:\\表", "C:\\表"}})
    EXPECT_EQ(WithTrailingBackslash(typed), stored);
  EXPECT_EQ(CentredOrigin(1024, 768, 247, 205), (ScreenPoint{388, 281}));
  EXPECT_EQ(CentredOrigin(200, 100, 203, 300), (ScreenPoint{0, 0})) << "never off the screen";
}

}  // namespace
}  // namespace miwake
