#include "app/main_form_layout.h"

#include <gtest/gtest.h>

namespace miwake {
namespace {

TEST(LayoutForWidthTest, DesignWidthGivesTheDesignValues) {
  EXPECT_EQ(LayoutForWidth(500), (ResizedLayout{385, 465, 416}));
  EXPECT_EQ(LayoutForWidth(700), (ResizedLayout{585, 665, 616}));
}

TEST(LayoutForWidthTest, AgreesWithTheControlTableAtTheDesignWidth) {
  const ResizedLayout at_design = LayoutForWidth(kDesignWidth);
  for (const ControlDesign& c : kMainFormControls) {
    if (c.id == kEdit1) {
      EXPECT_EQ(c.width, at_design.edit1_width);
    } else if (c.id == kEdit2) {
      EXPECT_EQ(c.width, at_design.edit2_width);
    } else if (c.id == kButton1) {
      EXPECT_EQ(c.left, at_design.button1_left);
    }
  }
}

TEST(TabOrderTest, VisitsTheFieldsThenTheButtonsInTheirOrder) {
  constexpr std::array<int, 9> expected{kEdit1,   kEdit2,   kButton1, kButton2, kButton3,
                                        kButton4, kButton5, kButton6, kButton7};
  EXPECT_EQ(TabOrder(), expected);
}

}  // namespace
}  // namespace miwake
