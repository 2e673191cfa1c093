#include "settings/settings_steps.h"

#include "common/text.h"

namespace miwake {
namespace {

constexpr const char* kOldConfigName = "FMIWAKER.CNF";

}  // namespace

std::string_view FirstLineOf(std::string_view bytes) {
  return bytes.substr(0, bytes.find_first_of(std::string_view("\r\x1a", 2)));
}

WindowPosition TakeSettingsAtStart(const std::string& app_dir, const std::string& version,
                                   WindowPosition current, ProfileStore& store,
                                   SettingsDisk& disk) {
  const std::string old_config = app_dir + kOldConfigName;
  std::optional<std::string> start_folder;
  if (disk.FileExists(old_config)) start_folder = disk.ReadFirstLine(old_config);

  const SettingsFile settings(store, app_dir + "FMIWAKER.ini");
  if (disk.FileExists(app_dir + "FMIWAKER.INI")) {
    if (start_folder) disk.Delete(old_config);
    return {settings.ReadNumber("Location", "Top", current.top),
            settings.ReadNumber("Location", "left", current.left)};
  }
  settings.WriteText("Version", "ver", version);
  settings.WriteText("Dir", "Dir", start_folder.value_or(app_dir));
  settings.WriteNumber("Location", "top", kFirstStartTop);
  settings.WriteNumber("Location", "left", kFirstStartLeft);
  if (start_folder) disk.Delete(old_config);
  return {kFirstStartTop, kFirstStartLeft};
}

void SavePosition(const std::string& app_dir, WindowPosition position, ProfileStore& store) {
  const SettingsFile settings(store, app_dir + "Fmiwaker.ini");
  settings.WriteNumber("Location", "top", position.top);
  settings.WriteNumber("Location", "left", position.left);
}

std::optional<std::string> BrowseStartFolder(const std::string& app_dir, ProfileStore& store,
                                             SettingsDisk& disk) {
  const std::string path = app_dir + "Fmiwaker.ini";
  if (!disk.FileExists(path)) return std::nullopt;
  std::string folder = SettingsFile(store, path).ReadText("Dir", "Dir", app_dir);
  if (!disk.FolderExists(folder)) return std::nullopt;
  char found = 0;
  const std::size_t end = LastDelimiterEnd(folder, "\\", &found);
  // A root such as "C:\" keeps its backslash; any other folder loses it.
  if (found == '\\' && end == folder.size() && !(end >= 2 && folder[end - 2] == ':')) {
    folder.pop_back();
  }
  return folder;
}

std::string VersionText(std::string_view decimal_separator) {
  return "3" + std::string(decimal_separator) + "12";
}

}  // namespace miwake
