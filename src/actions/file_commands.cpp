#include "actions/file_commands.h"

#include "actions/identify_command.h"
#include "common/text.h"
#include "identify/kinds.h"

namespace miwake {

void ChangeExtCommand(const std::string& name, const CommandPorts& ports) {
  if (CheckInputFile(name, ports.files, ports.boxes)) return;
  const int code = ports.classifier.IdentifyFile(name);
  const std::string ext(KindExtension(code));
  std::string message;
  if (code == kKindUnreadable) {
    message = "このファイルは実行中のため変更できません。";
  } else if (code == kKindRupo) {
    message = "ルポのファイルなので変更しません。";
  } else if (ext.empty()) {  // "other", and any code without an extension
    message = "その他のファイルです。変更できません。";
  } else if (SameTextAscii(ExtensionOf(name), "." + ext)) {
    message = "正しい拡張子がついてます。";
  } else {
    const int answer =
        ports.boxes.Show("拡張子を " + ext + " に変更しますか？", "拡張子の変更", kMbYesNoQuestion);
    if (answer == kIdNo) return;
    message = ports.files.Rename(name, ReplaceExtension(name, "." + ext))
                  ? "拡張子を " + ext + "に変更しました。"
                  : ext + "の拡張子がついたファイルがあるので変更できません！";
  }
  ports.result.SetText(message);
}

void DeleteCommand(const std::string& name, const CommandPorts& ports) {
  if (CheckInputFile(name, ports.files, ports.boxes)) return;
  if (ports.boxes.Show("削除してもよろしいですか？", "削除", kMbYesNoExclamation) != kIdYes) return;
  ports.result.SetText(ports.files.Delete(name) ? "削除しました。"
                                                : "実行中のため削除できませんでした。");
}

}  // namespace miwake
