// An error that ends an event handler and is shown in the application error
// box; its message is already the text the user reads.
#pragma once

#include <stdexcept>
#include <string>

namespace miwake {

class AppError : public std::runtime_error {
 public:
  explicit AppError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace miwake
