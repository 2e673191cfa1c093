#include "actions/associations.h"

#include "common/app_error.h"
#include "common/text.h"

namespace miwake {
namespace {

// The default value of the key as text; empty when it is missing or empty.
std::string DefaultText(const std::string& path, FileAssociations& associations) {
  const auto value = associations.DefaultValue(path);
  if (!value || value->data.empty()) return {};
  if (value->type != kRegSz && value->type != kRegExpandSz)
    throw AppError("'' のﾃﾞｰﾀ型が不正です");  // the default value has the empty name
  std::string text = value->data.substr(0, value->data.find('\0'));
  // Standard associations name their programs through %SystemRoot% and the
  // like; unexpanded, the path would name no file.
  if (value->type == kRegExpandSz) text = associations.ExpandEnvironment(text);
  return text;
}

}  // namespace

std::string ProgramPathFromCommand(std::string_view command) {
  std::string_view path = command;
  if (command.starts_with('"')) {
    path = command.substr(1, command.find('"', 1) - 1);
  } else {
    for (std::size_t i = 0; i + 4 <= command.size(); ++i) {
      if (SameTextAscii(command.substr(i, 4), ".exe")) {
        path = command.substr(0, i + 4);
        break;
      }
    }
  }
  return SameTextAscii(ExtensionOf(path), ".exe") ? std::string(path) : std::string();
}

std::string FindAssociatedProgram(const std::string& extension, FileAssociations& associations) {
  const std::string class_name = DefaultText("." + extension, associations);
  return ProgramPathFromCommand(DefaultText(class_name + "\\shell\\open\\command", associations));
}

}  // namespace miwake
