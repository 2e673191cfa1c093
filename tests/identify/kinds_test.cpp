#include "identify/kinds.h"

#include <gtest/gtest.h>

#include <set>

#include "identify/signatures.h"

namespace miwake {
namespace {

TEST(KindsTest, EdgeCodes) {
  const struct {
    int code;
    std::string_view extension;
    std::optional<std::string_view> label;
  } cases[] = {
      {-1, "", std::nullopt},      {-2, "", std::nullopt},
      {0, "", "その他の"},         {1, "txt", "テキスト(TXT)"},
      {13, "vwp", "vwp"},          {14, "", std::nullopt},
      {51, "doc", "Word (DOC)の"}, {101, "doc", "Word Ver.6(DOC)の"},
      {104, "", "ルポの"},         {112, "mdb", "Accsess (MDB)の"},
      {117, "", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KindExtension(c.code), c.extension) << c.code;
    EXPECT_EQ(KindLabel(c.code), c.label) << c.code;
  }
}

TEST(KindsTest, TheTablesAgree) {
  std::set<int> kinds;
  for (const KindInfo& kind : AllKinds()) {
    kinds.insert(kind.code);
    if (kind.code == kKindOther || kind.code == kKindRupo) continue;
    // Every other kind can be renamed to and looked up by a plain extension.
    ASSERT_FALSE(kind.extension.empty()) << kind.code;
    for (char c : kind.extension) EXPECT_TRUE(c >= 'a' && c <= 'z') << kind.code;
  }
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
