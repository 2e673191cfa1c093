#include "actions/launch_commands.h"

#include <algorithm>
#include <array>

#include "actions/associations.h"
#include "actions/file_commands.h"
#include "actions/identify_command.h"
#include "common/text.h"
#include "identify/kinds.h"

namespace miwake {
namespace {

constexpr std::string_view kNoProgram = "該当するアプリケーションがありません。";
constexpr std::string_view kStartFailed = "起動できませんでした。";
constexpr std::string_view kExecutableRefused = "Exeファイルのため起動させません。";
constexpr std::string_view kScreenSaverRefused = "スクリーンセーバーのため起動させません。";
constexpr std::string_view kNoHelp = "ヘルプを開けませんでした。";

// The answers of WinExec and ShellExecuteA above which a start succeeded.
constexpr std::uintptr_t kWinExecFailedUpTo = 31;
constexpr std::uintptr_t kShellExecuteFailedUpTo = 32;

// Archivers and the help viewer are given the name without quotes.
bool TakesPlainName(int code) {
  return code == 106 || code == 110 || code == 111 || code == 115;
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

}  // namespace

std::string LaunchCommandLine(int code, const std::string& program, const std::string& name) {
  if (!TakesPlainName(code)) return Quoted(program) + " " + Quoted(name);
  return program + " " + (name.find(' ') == std::string::npos ? name : Quoted(name));
}

void LaunchCommand(const std::string& name, const CommandPorts& ports) {
  if (CheckInputFile(name, ports.files, ports.boxes)) return;
  const int code = ports.identifier.IdentifyFile(name);
  const auto refuse = [&](std::string_view text) { ports.result.SetText(std::string(text)); };
  if (code == kKindUnreadable) return refuse("現在実行中です。");
  if (code == kKindExecutable) return refuse(kExecutableRefused);
  if (code == kKindRupo) return refuse("ルポのファイルため起動できません。");
  if (code == kKindScreenSaver) return refuse(kScreenSaverRefused);
  const std::string program =
      FindAssociatedProgram(std::string(KindExtension(code)), ports.associations);
  if (program.empty() || code == kKindRevocationList) return refuse(kNoProgram);

  const std::string announcement(LaunchAnnouncement(code));
  ports.result.SetText(announcement);
  ports.result.Repaint();
  // The system shows nothing when the program named in the association is
  // missing, so the failure is told here.
  if (ports.starter.StartProgram(LaunchCommandLine(code, program, name)) <= kWinExecFailedUpTo)
    ports.result.SetText(announcement + std::string(kStartFailed));
}

void ChangeAndLaunchCommand(const std::string& name, const CommandPorts& ports) {
  if (CheckInputFile(name, ports.files, ports.boxes)) return;
  const int code = ports.identifier.IdentifyFile(name);
  const std::string ext(KindExtension(code));
  std::string message;
  if (const auto refusal = RenameRefusal(code, "変更＆起動")) {
    message = *refusal;
  } else {
    const std::string renamed = ReplaceExtension(name, "." + ext);
    if (!ports.files.Rename(name, renamed)) return ports.result.SetText(RenameOutcome(false, ext));
    if (code == kKindExecutable) return ports.result.SetText(std::string(kExecutableRefused));
    if (code == kKindScreenSaver) return ports.result.SetText(std::string(kScreenSaverRefused));
    message = RenameOutcome(true, ext);
    const std::string program = FindAssociatedProgram(ext, ports.associations);
    message += program.empty() ? kNoProgram : LaunchAnnouncement(code);
    if (ports.starter.OpenDocument(renamed, true) <= kShellExecuteFailedUpTo &&
        !message.ends_with(kNoProgram))
      message += kStartFailed;
  }
  ports.result.SetText(message);
  ports.result.Repaint();
}

void HelpCommand(const std::string& folder, const CommandPorts& ports) {
  // A help file of the user's beside the program comes first; the release
  // ships the guide as readme.txt. When neither opens the system shows
  // nothing, so the box does.
  for (const char* file : {"Fmiwaker.hlp", "readme.txt"})
    if (ports.starter.OpenDocument(folder + file, false) > kShellExecuteFailedUpTo) return;
  ports.boxes.Show(kNoHelp, kAppTitle, kMbOkExclamation);
}

}  // namespace miwake
