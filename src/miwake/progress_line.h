// The progress of a long run on one line of a terminal, redrawn in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "miwake/names.h"

namespace miwake {

// Milliseconds of a steady clock. (<chrono> itself cannot be compiled for
// code page 932 literals, as it holds a "µs".)
std::int64_t SteadyMilliseconds();

class ProgressLine {
 public:
  using Time = std::int64_t;  // milliseconds

  // `folder` texts are shown as UTF-8 (POSIX names) or as code page 932.
  ProgressLine(std::ostream& err, NameStyle style, Time start)
      : err_(err), style_(style), start_(start) {}

  // Whether to draw: once the run has gone on for a second, then at most
  // five times a second.
  bool Due(Time now) const;
  // Draws "files done, files per second, folder".
  void Draw(std::size_t done, std::string_view folder, Time now);
  // Takes the line away, before other output and at the end.
  void Clear();

 private:
  std::ostream& err_;
  NameStyle style_;
  Time start_, drawn_ = 0;
  std::size_t width_ = 0;  // of the line on the screen, in bytes
  std::string line_;
};

}  // namespace miwake
