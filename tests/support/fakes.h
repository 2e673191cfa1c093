// Recording stand-ins for the message box and the result field.
#pragma once

#include <string>
#include <vector>

#include "actions/ports.h"

namespace miwake::testing {

struct ShownBox {
  std::string text, caption;
  unsigned flags;
  bool operator==(const ShownBox&) const = default;
};

// Answers each box with the next scripted answer (kIdOk when none is left).
class ScriptedMessageBox final : public AppMessageBox {
 public:
  int Show(std::string_view text, std::string_view caption, unsigned flags) override {
    shown.push_back({std::string(text), std::string(caption), flags});
    if (answers.empty()) return kIdOk;
    const int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  std::vector<ShownBox> shown;
  std::vector<int> answers;
};

class RecordingResultField final : public ResultField {
 public:
  void SetText(const std::string& value) override {
    text = value;
    ++writes;
  }
  std::string text = "previous";
  int writes = 0;
};

}  // namespace miwake::testing
