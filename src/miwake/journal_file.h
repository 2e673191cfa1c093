// The platform's part of the rename journal.
#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <string_view>

namespace miwake {

// A new file that only grows; each Append is on the disk when it returns true.
class JournalFile {
 public:
  virtual ~JournalFile() = default;
  virtual bool Append(std::string_view bytes) = 0;
};

// Creates the file with its first bytes, never replacing one; null with the
// system's reason in `error`, and `taken` set when the name was in use.
std::unique_ptr<JournalFile> CreateJournalFile(const std::string& path, std::string_view header,
                                               std::string& error, bool& taken);

// No other running process has the same.
unsigned long ProcessId();

std::tm LocalTime(std::time_t when);

}  // namespace miwake
