// What the commands need from the platform and the main window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "actions/identifier.h"
#include "common/file_system.h"
#include "common/message_box.h"

namespace miwake {

// The main window's read-only result field.
class ResultField {
 public:
  virtual ~ResultField() = default;
  virtual void SetText(const std::string& text) = 0;
  // Paints the field now, before the command goes on.
  virtual void Repaint() = 0;
};

// A registry value as stored: its type (1 REG_SZ, 2 REG_EXPAND_SZ, 4
// REG_DWORD, ...) and its bytes.
struct RegistryValue {
  std::uint32_t type = 0;
  std::string data;
  bool operator==(const RegistryValue&) const = default;
};

// The file associations under HKEY_CLASSES_ROOT.
class FileAssociations {
 public:
  virtual ~FileAssociations() = default;
  // The default value of the key at `path` from the root; nothing when the
  // key or its default value is missing.
  virtual std::optional<RegistryValue> DefaultValue(const std::string& path) = 0;
  // The text with its environment references (%SystemRoot%, ...) expanded.
  virtual std::string ExpandEnvironment(const std::string& text) = 0;
};

// Starting other programs. Both answer with what the system answered: above
// 31 (WinExec) or 32 (ShellExecuteA) when the start succeeded.
class ProgramStarter {
 public:
  virtual ~ProgramStarter() = default;
  // WinExec with SW_SHOW.
  virtual std::uintptr_t StartProgram(const std::string& command_line) = 0;
  // ShellExecuteA "open" with SW_SHOW, no parameters and no folder; owned by
  // the main window when `owned`.
  virtual std::uintptr_t OpenDocument(const std::string& file, bool owned) = 0;
};

struct CommandPorts {
  Identifier& identifier;
  FileSystem& files;
  AppMessageBox& boxes;
  ResultField& result;
  FileAssociations& associations;
  ProgramStarter& starter;
};

}  // namespace miwake
