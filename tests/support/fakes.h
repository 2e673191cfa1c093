// One stand-in for the ports of the commands that are not the file system:
// every box, text, paint and start goes into one log, in order; the busy
// cursor is counted.
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

struct FakePorts : AppMessageBox, ResultField, FileAssociations, ProgramStarter, BusyCursor {
  // Answers each box with the next of `answers`, kIdOk when none is left.
  int Show(std::string_view text, std::string_view caption, unsigned flags) override {
    shown.push_back({std::string(text), std::string(caption), flags});
    log.push_back("[" + std::string(text) + "]");
    const int answer = answers.empty() ? kIdOk : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return answer;
  }
  void SetText(const std::string& value) override { log.push_back(value); }
  void Repaint() override { log.push_back("<repaint>"); }
  std::optional<RegistryValue> DefaultValue(const std::string& path) override {
    asked.push_back(path);
    const auto it = values.find(path);
    return it == values.end() ? std::nullopt : std::optional(it->second);
  }
  // %SystemRoot% only, as a stand-in for the system's expansion.
  std::string ExpandEnvironment(const std::string& text) override {
    std::string expanded = text;
    for (std::size_t at; (at = expanded.find("%SystemRoot%")) != std::string::npos;)
      expanded.replace(at, 12, "C:\\WINDOWS");
    return expanded;
  }
  std::uintptr_t StartProgram(const std::string& command_line) override {
    log.push_back("<start> " + command_line);
    return start_answer;
  }
  std::uintptr_t OpenDocument(const std::string& file, bool owned) override {
    log.push_back("<open> " + std::string(owned ? "owned " : "") + file);
    const auto it = open_answers.find(file);
    return it == open_answers.end() ? start_answer : it->second;
  }
  void Begin() override { ++busy, ++busy_depth; }
  void End() override { --busy_depth; }
  std::vector<ShownBox> shown;
  std::vector<int> answers;
  std::vector<std::string> log, asked;
  std::map<std::string, RegistryValue> values;
  std::uintptr_t start_answer = 42;
  std::map<std::string, std::uintptr_t> open_answers;  // by file, before start_answer
  int busy = 0, busy_depth = 0;
};

}  // namespace miwake::testing
