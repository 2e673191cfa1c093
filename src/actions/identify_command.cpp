#include "actions/identify_command.h"

#include "identify/kinds.h"

namespace miwake {

bool CheckInputFile(const std::string& name, FileSystem& files, AppMessageBox& boxes) {
  if (name.empty()) {
    boxes.Show("ファイル名を入力して下さい！", "警告", kMbOkExclamation);
    return true;
  }
  if (!files.FileExists(name)) {
    boxes.Show("ファイルが存在しません！", "警告", kMbOkExclamation);
    return true;
  }
  return false;
}

void IdentifyCommand(const std::string& name, const CommandPorts& ports) {
  if (CheckInputFile(name, ports.files, ports.boxes)) return;
  const int code = ports.identifier.IdentifyFile(name);
  ports.result.SetText(IdentifySentence(code).value_or(std::string()));
}

}  // namespace miwake
