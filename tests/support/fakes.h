// Recording stand-ins for the commands' ports.
#pragma once

#include <map>
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
    if (log != nullptr) log->push_back("[" + std::string(text) + "]");
    if (answers.empty()) return kIdOk;
    const int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  }
  std::vector<ShownBox> shown;
  std::vector<int> answers;
  std::vector<std::string>* log = nullptr;  // where the boxes go among other events
};

// The texts set, in order, with "<repaint>" where the field was painted.
class RecordingResultField final : public ResultField {
 public:
  void SetText(const std::string& value) override {
    text = value;
    events.push_back(value);
  }
  void Repaint() override { events.push_back("<repaint>"); }
  std::string text = "previous";
  std::vector<std::string> events;
};

class FakeAssociations final : public FileAssociations {
 public:
  std::optional<RegistryValue> DefaultValue(const std::string& path) override {
    asked.push_back(path);
    const auto it = values.find(path);
    return it == values.end() ? std::nullopt : std::optional(it->second);
  }
  // %SystemRoot% only, as a stand-in for the system's expansion.
  std::string ExpandEnvironment(const std::string& text) override {
    std::string expanded = text;
    const std::string name = "%SystemRoot%";
    for (auto at = expanded.find(name); at != std::string::npos; at = expanded.find(name))
      expanded.replace(at, name.size(), "C:\\WINDOWS");
    return expanded;
  }
  std::map<std::string, RegistryValue> values;
  std::vector<std::string> asked;
};

class RecordingStarter final : public ProgramStarter {
 public:
  std::uintptr_t StartProgram(const std::string& command_line) override {
    started.push_back(command_line);
    if (log != nullptr) log->push_back("<start> " + command_line);
    return answer;
  }
  std::uintptr_t OpenDocument(const std::string& file, bool owned) override {
    opened.push_back((owned ? "owned " : "") + file);
    if (log != nullptr) log->push_back("<open> " + opened.back());
    return answer;
  }
  std::vector<std::string> started, opened;
  std::vector<std::string>* log = nullptr;  // where the starts go among other events
  std::uintptr_t answer = 42;
};

}  // namespace miwake::testing
