// What the commands need from the platform and the main window.
#pragma once

#include <string>

#include "common/message_box.h"
#include "identify/classifier.h"

namespace miwake {

// The main window's read-only result field.
class ResultField {
 public:
  virtual ~ResultField() = default;
  virtual void SetText(const std::string& text) = 0;
};

struct CommandPorts {
  ClassifierPorts classifier;
  AppMessageBox& boxes;
  ResultField& result;
};

}  // namespace miwake
