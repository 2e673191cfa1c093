#include "actions/file_commands.h"

#include "actions/identify_command.h"
#include "common/text.h"
#include "identify/kinds.h"

namespace miwake {

std::optional<std::string> RenameRefusal(int code, std::string_view verb) {
  const std::string v(verb);
  if (code == kKindUnreadable) return "このファイルは実行中のため" + v + "できません。";
  if (code == kKindRupo) return "ルポのファイルなので" + v + "しません。";
  // "Other", and any code without an extension.
  if (KindExtension(code).empty()) return "その他のファイルです。" + v + "できません。";
  return std::nullopt;
}

std::string RenameOutcome(bool renamed, std::string_view ext) {
  const std::string e(ext);
  return renamed ? "拡張子を " + e + "に変更しました。"
                 : e + "の拡張子がついたファイルがあるので変更できません！";
}

void ChangeExtCommand(const std::string& name, const CommandPorts& ports) {
  if (CheckInputFile(name, ports.files, ports.boxes)) return;
  const int code = ports.identifier.IdentifyFile(name);
  const std::string ext(KindExtension(code));
  std::string message;
  if (const auto refusal = RenameRefusal(code, "変更")) {
    message = *refusal;
  } else if (SameTextAscii(ExtensionOf(name), "." + ext)) {
    message = "正しい拡張子がついてます。";
  } else {
    const int answer =
        ports.boxes.Show("拡張子を " + ext + " に変更しますか？", "拡張子の変更", kMbYesNoQuestion);
    if (answer == kIdNo) return;
    message = RenameOutcome(ports.files.Rename(name, ReplaceExtension(name, "." + ext)), ext);
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
