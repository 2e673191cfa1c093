// The main window's way to the engine: IdentifyFile answers a repeated name
// from a one-name cache, and shows the busy cursor while it reads a file.
#pragma once

#include <string>

#include "common/busy_cursor.h"
#include "common/file_system.h"
#include "identify/classifier.h"

namespace miwake {

// The last name classified and its code.
struct AnswerCache {
  std::string LastFileName;
  int LastKind = 0;
};

class Identifier {
 public:
  Identifier(Classifier& classifier, FileSystem& files, BusyCursor& cursor)
      : classifier_(classifier), files_(files), cursor_(cursor) {}

  // Classifies the named file; -1 when it cannot be opened or read. A repeated
  // name is answered from the cache without touching the file.
  int IdentifyFile(const std::string& name);

  // Empties the cache key, so that the next question reads the file.
  void ForgetLastFile() { cache_.LastFileName.clear(); }

 private:
  Classifier& classifier_;
  FileSystem& files_;
  BusyCursor& cursor_;
  AnswerCache cache_;
};

}  // namespace miwake
