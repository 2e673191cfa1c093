#include <windows.h>

#include "common/encoding.h"

namespace miwake {

std::string Cp932ToUtf8(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int wide_len = ::MultiByteToWideChar(932, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wide_len), L'\0');
  ::MultiByteToWideChar(932, 0, text.data(), size, wide.data(), wide_len);
  const int utf8_len =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_len, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(utf8_len), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_len, out.data(), utf8_len, nullptr, nullptr);
  return out;
}

std::string LowerAnsi(std::string text) {
  if (!text.empty()) ::CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

}  // namespace miwake
