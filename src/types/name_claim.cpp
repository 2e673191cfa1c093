#include "types/name_claim.h"

#include <algorithm>
#include <array>

#include "common/text.h"
#include "identify/kinds.h"

namespace miwake {
namespace {

constexpr std::string_view kExecutableType = "application/x-ms-dos-executable";
constexpr std::string_view kCompoundType = "application/x-ole-storage";
// Names that say what became of a file (a backup, a download cut short),
// not what it holds.
constexpr std::array<std::string_view, 2> kNoContentTypes{"application/x-trash",
                                                          "application/x-partial-download"};

struct KindType {
  int code;
  std::string_view type;
};

// The executables (2 to 13, 105) have kExecutableType.
constexpr std::array<KindType, 23> kKindTypes{{
    {1, "text/plain"},
    {31, "audio/x-wav"},
    {32, "video/x-msvideo"},
    // A RIFF wrapper around a standard MIDI file.
    {33, "audio/midi"},
    {51, "application/msword"},
    {52, "application/vnd.ms-excel"},
    {53, "application/x-miwake-ichitaro"},
    {54, "application/vnd.ms-powerpoint"},
    {101, "application/msword"},
    {102, "application/vnd.ms-excel"},
    {103, "image/bmp"},
    {104, "application/x-miwake-rupo"},
    {106, "application/x-lha"},
    {107, "image/jpeg"},
    {108, "image/gif"},
    {109, "application/x-miwake-maki"},
    {110, "application/zip"},
    {111, "application/vnd.ms-cab-compressed"},
    {112, "application/vnd.ms-access"},
    {113, "application/x-miwake-oca"},
    {114, "application/x-miwake-mag"},
    {115, "application/winhlp"},
    {116, "audio/midi"},
}};

// The extensions of Windows executable images beyond the executable kinds'
// own: within this family a name never lies about an executable.
constexpr std::array<std::string_view, 21> kExecutableImageExtensions{
    "exe", "dll", "sys", "drv", "ocx", "cpl", "scr", "ax", "acm", "vxd",   "efi",
    "mui", "fon", "tlb", "com", "bpl", "ime", "tsp", "ds", "mun", "winmd",
};

bool IsExecutable(int code) {
  return code == kKindExecutable ||
         (code >= kFirstExecutableSubKind && code <= kLastExecutableSubKind);
}

bool IsCompoundDocument(int code) {
  return (code >= 51 && code <= 54) || code == 101 || code == 102;
}

// The text after the last dot of a leaf, lower case; empty when there is
// none or the only dot leads the name.
std::string ExtensionLower(std::string_view leaf) {
  const std::size_t dot = leaf.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  std::string extension(leaf.substr(dot + 1));
  std::transform(extension.begin(), extension.end(), extension.begin(), LowerAscii);
  return extension;
}

}  // namespace

std::string KindMimeType(const MimeDatabase& database, int code) {
  if (IsExecutable(code)) return database.Canonical(kExecutableType);
  const auto it = std::find_if(kKindTypes.begin(), kKindTypes.end(),
                               [&](const KindType& k) { return k.code == code; });
  return it != kKindTypes.end() ? database.Canonical(it->type) : std::string();
}

NameVerdict NameJudge::Judge(std::string_view leaf, int code, const std::string& content) const {
  NameVerdict verdict;
  const std::string extension = ExtensionLower(leaf);
  if (extension.empty()) return verdict;
  NameMatch match = database_.Match(leaf);
  std::erase_if(match.types, [](const std::string& type) {
    return std::find(kNoContentTypes.begin(), kNoContentTypes.end(), type) != kNoContentTypes.end();
  });
  if (match.types.empty()) match.pattern.clear();
  std::vector<int> kinds;
  for (const KindInfo& kind : AllKinds())
    if (!kind.extension.empty() && kind.extension == extension) kinds.push_back(kind.code);
  const bool executable_image =
      std::find(kExecutableImageExtensions.begin(), kExecutableImageExtensions.end(), extension) !=
          kExecutableImageExtensions.end() ||
      std::any_of(kinds.begin(), kinds.end(), IsExecutable);
  // The classic kinds' claims stand beside the database's, which may lack them.
  std::vector<std::string> claimed = std::move(match.types);
  for (const int kind : kinds) claimed.push_back(KindMimeType(database_, kind));
  if (executable_image) claimed.push_back(database_.Canonical(kExecutableType));
  if (claimed.empty()) return verdict;
  verdict.claims = true;
  verdict.claimed = claimed.front();
  verdict.pattern = match.pattern.empty() ? "*." + extension : match.pattern;
  if (code == kKindRupo) return verdict;
  // Text may have a type of its own (SVG), which its name may claim.
  const bool typed = code == kKindOther || (code == kKindText && !content.empty());
  verdict.content = typed ? content : KindMimeType(database_, code);
  verdict.extension = typed ? database_.ExtensionFor(content) : std::string(KindExtension(code));
  if (code == kKindText && verdict.extension.empty()) verdict.extension = KindExtension(code);
  verdict.lies = !verdict.content.empty() && !verdict.extension.empty() &&
                 !Agrees(code, verdict.content, claimed, kinds, executable_image);
  return verdict;
}

bool NameJudge::Agrees(int code, const std::string& content,
                       const std::vector<std::string>& claimed, const std::vector<int>& kinds,
                       bool executable_image) const {
  if (std::find(kinds.begin(), kinds.end(), code) != kinds.end()) return true;
  if (executable_image && IsExecutable(code)) return true;
  // A claimed type that is the content's or more precise (a .docx is a ZIP),
  // or one the content's type refines; every text type takes text.
  for (const std::string& type : claimed)
    if (database_.IsA(type, content) || database_.IsA(content, type)) return true;
  // A compound document under the name of some other compound file (.msi,
  // .msg) agrees, but not under another classic application's extension.
  if (IsCompoundDocument(code) && kinds.empty())
    for (const std::string& type : claimed)
      if (database_.IsA(type, kCompoundType)) return true;
  return false;
}

}  // namespace miwake
