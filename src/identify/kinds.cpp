#include "identify/kinds.h"

#include <algorithm>
#include <array>

#include "common/text.h"

namespace miwake {
namespace {

constexpr std::array<KindInfo, 37> kKinds{{
    {0, "", "その他の"},
    {1, "txt", "テキスト(TXT)", "エディタを起動します。"},
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
    {31, "wav", "サウンド(WAV)", "サウンド再生ソフトを起動します。"},
    {32, "avi", "動画(AVI)", "動画再生ソフトを起動します。"},
    {33, "rmi", "サウンド(RMI)", "サウンド再生ソフトを起動します。"},
    {51, "doc", "Word (DOC)の", "Wordを起動します。"},
    {52, "xls", "Excel (XLS)の", "Excelを起動します。"},
    {53, "jtd", "一太郎 Ver 8/9(JTD)の", "一太郎を起動します。"},
    {54, "ppt", "PowerPoint (PPT)の", "Power Pointを起動します。"},
    {101, "doc", "Word Ver.6(DOC)の", "Wordを起動します。"},
    {102, "xls", "Excel Ver.5(XLS)の", "Excelを起動します。"},
    {103, "bmp", "画像(BMP)", "画像ソフトを起動します。"},
    {104, "", "ルポの"},
    {105, "exe", "実行(EXE)"},
    {106, "lzh", "圧縮(LZH)", "解凍ソフトを起動します。"},
    {107, "jpg", "画像(JPG)", "画像ソフトを起動します。"},
    {108, "gif", "画像(GIF)", "画像ソフトを起動します。"},
    {109, "mki", "画像(MKI)", "画像ソフトを起動します。"},
    {110, "zip", "圧縮(ZIP)", "解凍ソフトを起動します。"},
    {111, "cab", "圧縮(CAB)", "解凍ソフトを起動します。"},
    {112, "mdb", "Accsess (MDB)の", "Accessを起動します。"},
    {113, "oca", "Control Typelib Cache(OCA)の"},
    {114, "mag", "画像(MAG)の", "画像ソフトを起動します。"},
    {115, "hlp", "ヘルプ(HLP)の", "ヘルプファイルを開きます。"},
    {116, "mid", "サウンド(MID)の", "サウンド再生ソフトを起動します。"},
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

std::optional<std::string> IdentifySentence(int code) {
  if (const auto label = KindLabel(code)) {
    std::string sentence = "これは";
    sentence += *label;
    sentence += "ファイルです。";
    return sentence;
  }
  if (code == kKindUnreadable) return "このファイルは実行中のため判別不能です。";
  return std::nullopt;
}

std::optional<std::string> LeafNameForKind(std::string_view leaf, int code) {
  return LeafNameWithExtension(leaf, KindExtension(code));
}

std::optional<std::string> LeafNameWithExtension(std::string_view leaf,
                                                 std::string_view extension) {
  const std::string ext = "." + std::string(extension);
  if (ext.size() == 1) return std::nullopt;
  // No byte of a Shift-JIS or UTF-8 character is a dot, so the last dot is one.
  const std::size_t dot = leaf.rfind('.');
  if (dot != std::string_view::npos && SameTextAscii(leaf.substr(dot), ext)) return std::nullopt;
  const std::size_t stem = dot == std::string_view::npos || dot == 0 ? leaf.size() : dot;
  return std::string(leaf.substr(0, stem)) + ext;
}

std::string_view LaunchAnnouncement(int code) {
  const KindInfo* kind = Find(code);
  return kind != nullptr ? kind->announcement : std::string_view();
}

}  // namespace miwake
