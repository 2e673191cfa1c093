#include "identify/kinds.h"

#include <algorithm>
#include <array>

namespace miwake {
namespace {

constexpr std::array<KindInfo, 37> kKinds{{
    {0, "", "その他の"},
    {1, "txt", "テキスト(TXT)"},
    {2, "dll", "ダイナミックリンクライブラリ(DLL)"},
    {3, "ocx", "ActiveX コントロール(OCX)"},
    {4, "scr", "スクリーンセーバー(SCR)"},
    {5, "vxd", "仮想デバイスドライバ(VXD)"},
    {6, "crl", "証明書失効リスト(CRL)"},
    {7, "drv", "デバイス ドライバ(DRV)"},
    {8, "cpl", "コントロール パネル(CPL)"},
    {9, "ax", "ライブラリ(AX)"},
    {10, "vbx", "Visual Basicカスタムコントロール(VBX)"},
    {11, "acm", "サウンドCODEC(ACM)"},
    {12, "dpl", "Delphi パッケージライブラリ(DPL)"},
    {13, "vwp", "vwp"},
    {31, "wav", "サウンド(WAV)"},
    {32, "avi", "動画(AVI)"},
    {33, "rmi", "サウンド(RMI)"},
    {51, "doc", "Word (DOC)の"},
    {52, "xls", "Excel (XLS)の"},
    {53, "jtd", "一太郎 Ver 8/9(JTD)の"},
    {54, "ppt", "PowerPoint (PPT)の"},
    {101, "doc", "Word Ver.6(DOC)の"},
    {102, "xls", "Excel Ver.5(XLS)の"},
    {103, "bmp", "画像(BMP)"},
    {104, "", "ルポの"},
    {105, "exe", "実行(EXE)"},
    {106, "lzh", "圧縮(LZH)"},
    {107, "jpg", "画像(JPG)"},
    {108, "gif", "画像(GIF)"},
    {109, "mki", "画像(MKI)"},
    {110, "zip", "圧縮(ZIP)"},
    {111, "cab", "圧縮(CAB)"},
    {112, "mdb", "Accsess (MDB)の"},
    {113, "oca", "Control Typelib Cache(OCA)の"},
    {114, "mag", "画像(MAG)の"},
    {115, "hlp", "ヘルプ(HLP)の"},
    {116, "mid", "サウンド(MID)の"},
}};

// The lookups search by halves, and each code stands once.
static_assert(std::adjacent_find(kKinds.begin(), kKinds.end(),
                                 [](const KindInfo& a, const KindInfo& b) {
                                   return a.code >= b.code;
                                 }) == kKinds.end());
// Every kind but "other" and Rupo can be renamed to, and looked up by, a
// plain extension.
static_assert(std::all_of(kKinds.begin(), kKinds.end(), [](const KindInfo& k) {
  return (k.code == kKindOther || k.code == kKindRupo) ==
         (k.extension.empty() || !std::all_of(k.extension.begin(), k.extension.end(),
                                              [](char c) { return c >= 'a' && c <= 'z'; }));
}));

const KindInfo* Find(int code) {
  const auto it = std::lower_bound(kKinds.begin(), kKinds.end(), code,
                                   [](const KindInfo& k, int c) { return k.code < c; });
  return (it != kKinds.end() && it->code == code) ? &*it : nullptr;
}

}  // namespace

std::span<const KindInfo> AllKinds() {
  return kKinds;
}

std::string_view KindExtension(int code) {
  const KindInfo* kind = Find(code);
  return kind != nullptr ? kind->extension : std::string_view();
}

std::optional<std::string_view> KindLabel(int code) {
  const KindInfo* kind = Find(code);
  if (kind == nullptr) return std::nullopt;
  return kind->label;
}

}  // namespace miwake
