// A fixture for the commands: an in-memory file system, a classifier on it,
// and recording stand-ins for every other port.
#pragma once

#include <gtest/gtest.h>

#include "support/fakes.h"
#include "support/memory_file_system.h"

namespace miwake::testing {

// Executables tell their sub-kind by name here, as their version resource would.
struct SubKindByName final : ExecutableRefiner {
  int Refine(const std::string& name, int code) override {
    if (name.find("lib") != std::string::npos) return 2;
    if (name.find("saver") != std::string::npos) return 4;
    if (name.find("revoked") != std::string::npos) return 6;
    return code;
  }
};

class CommandTest : public ::testing::Test {
 protected:
  CommandPorts Ports() { return {classifier, files, boxes, result, associations, starter}; }
  MemoryFileSystem files;
  NoBusyCursor cursor;
  SubKindByName refiner;
  Classifier classifier{files, cursor, refiner};
  ScriptedMessageBox boxes;
  RecordingResultField result;
  FakeAssociations associations;
  RecordingStarter starter;
};

inline const std::string kTextBytes = "plain text\r\n";
inline const std::string kExeBytes = "MZ" + std::string(100, '\x01');

}  // namespace miwake::testing
