// The commands' ports over the registry and the shell.
#pragma once

#include <windows.h>

#include "actions/ports.h"

namespace miwake {

class Win32FileAssociations final : public FileAssociations {
 public:
  std::optional<RegistryValue> DefaultValue(const std::string& path) override;
  std::string ExpandEnvironment(const std::string& text) override;
};

class Win32ProgramStarter final : public ProgramStarter {
 public:
  // The main window, once it exists.
  void set_owner(HWND owner) { owner_ = owner; }
  std::uintptr_t StartProgram(const std::string& command_line) override;
  std::uintptr_t OpenDocument(const std::string& file, bool owned) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace miwake
