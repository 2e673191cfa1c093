// The content classifier: a file name in, a file kind code out, decided from
// the file's bytes alone.
#pragma once

#include <string>

#include "common/file_system.h"

namespace miwake {

// The process-wide answer cache: the last name classified and its code.
struct AnswerCache {
  std::string LastFileName;
  int LastKind = 0;
};
AnswerCache& TheAnswerCache();

// Empties the cache key, so that the next question reads the file.
void ForgetLastFile();

// The application-wide busy cursor, on while a classification runs.
class BusyCursor {
 public:
  virtual ~BusyCursor() = default;
  virtual void Begin() = 0;
  virtual void End() = 0;
};

// The last step for executables: may turn 105 into a sub-kind from 2 to 13.
class ExecutableRefiner {
 public:
  virtual ~ExecutableRefiner() = default;
  virtual int Refine(const std::string& name, int code) = 0;
};

class NoBusyCursor final : public BusyCursor {
 public:
  void Begin() override {}
  void End() override {}
};

class KeepExecutableCode final : public ExecutableRefiner {
 public:
  int Refine(const std::string&, int code) override { return code; }
};

struct ClassifierPorts {
  FileSystem& files;
  BusyCursor& cursor;
  ExecutableRefiner& refiner;
};

// Bytes 10, 13 and 32 to 255 are text; tab, form feed and the rest below 32 are not.
constexpr bool IsTextByte(unsigned char b) {
  return b == 10 || b == 13 || b >= 32;
}

// The code that an empty file gets: no byte of it is a non-text byte.
inline constexpr int kEmptyFileKind = 1;

// Classifies the named file; -1 when it cannot be opened or read. A repeated
// name is answered from the cache without touching the file.
int IdentifyFile(const std::string& name, const ClassifierPorts& ports);

}  // namespace miwake
