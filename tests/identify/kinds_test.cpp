#include "identify/kinds.h"

#include <gtest/gtest.h>

#include <set>

#include "identify/signatures.h"

namespace miwake {
namespace {

TEST(KindsTest, ExtensionsOfTheEdgeCodes) {
  const std::pair<int, std::string_view> cases[] = {
      {-1, ""},    {0, ""},      {104, ""},    {14, ""},     {117, ""},   {-2, ""},
      {1, "txt"},  {2, "dll"},   {13, "vwp"},  {31, "wav"},  {51, "doc"}, {101, "doc"},
      {52, "xls"}, {102, "xls"}, {105, "exe"}, {116, "mid"}, {30, ""},    {100, ""},
  };
  for (const auto& [code, ext] : cases) EXPECT_EQ(KindExtension(code), ext) << code;
}

TEST(KindsTest, LabelsOfTheEdgeCodes) {
  EXPECT_EQ(KindLabel(0), "その他の");
  EXPECT_EQ(KindLabel(1), "テキスト(TXT)");
  EXPECT_EQ(KindLabel(13), "vwp");
  EXPECT_EQ(KindLabel(112), "Accsess (MDB)の");
  EXPECT_EQ(KindLabel(104), "ルポの");
  for (int code : {-1, -2, 14, 30, 34, 50, 55, 100, 117, 1000})
    EXPECT_FALSE(KindLabel(code)) << code;
}

TEST(KindsTest, EveryKindButOtherAndRupoHasALowerCaseExtension) {
  for (const KindInfo& kind : AllKinds()) {
    if (kind.code == kKindOther || kind.code == kKindRupo) continue;
    ASSERT_FALSE(kind.extension.empty()) << kind.code;
    for (char c : kind.extension) EXPECT_TRUE(c >= 'a' && c <= 'z') << kind.code;
  }
}

TEST(KindsTest, TheTablesAgree) {
  std::set<int> kinds;
  for (const KindInfo& kind : AllKinds()) kinds.insert(kind.code);
  EXPECT_EQ(kinds.size(), 37u);
  for (int i = 0; i < kSignatureCount; ++i) {
    const Signature& sig = kSignatures[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(sig.bytes.find('\0'), std::string_view::npos);  // zero bytes stand for "not read"
    switch (sig.group) {
      case SignatureGroup::kPrimary:
        EXPECT_EQ(sig.code, 101 + i);
        break;
      case SignatureGroup::kRiffForm:
        EXPECT_EQ(sig.code, 31 + i - kFirstRiffForm);
        break;
      case SignatureGroup::kApplicationName:
        EXPECT_EQ(sig.code, 51 + i - kFirstAppName);
        break;
      case SignatureGroup::kContainer:
        EXPECT_EQ(sig.code, 0);
        continue;
    }
    EXPECT_TRUE(kinds.contains(sig.code));
  }
}

}  // namespace
}  // namespace miwake
