#include "miwake/progress_line.h"

#include <algorithm>
#include <chrono>

#include "common/text.h"

namespace miwake {
namespace {

constexpr std::size_t kFolderBytes = 40;

// The start of the character at or after `at`.
std::size_t CharacterStart(std::string_view text, std::size_t at, NameStyle style) {
  if (style == NameStyle::kPosix) {
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
    return at;
  }
  std::size_t i = 0;
  while (i < at) i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
  return std::min(i, text.size());
}

}  // namespace

std::int64_t SteadyMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool ProgressLine::Due(Time now) const {
  return now - start_ >= 1000 && now - drawn_ >= 200;
}

void ProgressLine::Draw(std::size_t done, std::string_view folder, Time now) {
  drawn_ = now;
  const Time ms = std::max<Time>(1, now - start_);
  line_ = "\r" + std::to_string(done) + " files, " +
          std::to_string(static_cast<Time>(done) * 1000 / ms) + "/s";
  if (!folder.empty()) {
    std::string shown = style_ == NameStyle::kPosix ? LossyUtf8(folder) : std::string(folder);
    if (shown.size() > kFolderBytes)
      shown = "..." + shown.substr(CharacterStart(shown, shown.size() - kFolderBytes, style_));
    line_ += ", " + shown;
  }
  const std::size_t width = line_.size() - 1;
  if (width < width_) line_.append(width_ - width, ' ');
  width_ = width;
  err_ << line_ << std::flush;
}

void ProgressLine::Clear() {
  if (width_ == 0) return;
  err_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
  width_ = 0;
}

}  // namespace miwake
