#include <iconv.h>

#include <cerrno>
#include <stdexcept>

#include "common/encoding.h"
#include "common/text.h"

namespace miwake {
namespace {

class Converter {
 public:
  Converter() : cd_(::iconv_open("UTF-8", "CP932")) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv: no CP932");
  }
  ~Converter() { ::iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace

std::string Cp932ToUtf8(std::string_view text) {
  Converter conv;
  std::string out;
  char buffer[256];
  auto* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  while (in_left > 0) {
    char* dst = buffer;
    std::size_t dst_left = sizeof buffer;
    const std::size_t rc = ::iconv(conv.get(), &in, &in_left, &dst, &dst_left);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
      // Invalid or truncated sequence: mark it and go on with the next byte.
      out += "\xEF\xBF\xBD";
      ++in;
      --in_left;
    }
  }
  return out;
}

std::string LowerAnsi(std::string text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(b)) {
      ++i;  // a trail byte may look like a letter but is none
    } else if (b >= 'A' && b <= 'Z') {
      text[i] = static_cast<char>(b + 32);
    }
  }
  return text;
}

}  // namespace miwake
