#include "settings/settings_steps.h"

#include <array>

#include "common/app_error.h"
#include "common/io_error_text.h"
#include "common/text.h"
#include "common/version.h"

namespace miwake {
namespace {

constexpr const char* kOldConfigName = "FMIWAKER.CNF";

[[noreturn]] void ThrowIoError(const FileSystem& files) {
  throw AppError(IoErrorText(files.LastError()));
}

}  // namespace

std::string_view FirstLineOf(std::string_view bytes) {
  return bytes.substr(0, bytes.find_first_of(std::string_view("\r\x1a", 2)));
}

std::string ReadFirstLine(FileSystem& files, const std::string& path) {
  const auto file = files.OpenForReading(path);
  if (!file) ThrowIoError(files);
  std::string line;
  std::array<std::uint8_t, 4096> chunk;
  for (;;) {
    const auto got = file->Read(chunk);
    if (!got) ThrowIoError(files);
    const std::string_view bytes(reinterpret_cast<const char*>(chunk.data()), *got);
    const std::string_view part = FirstLineOf(bytes);
    line += part;
    if (*got < chunk.size() || part.size() < bytes.size()) break;
  }
  if (!file->Close()) ThrowIoError(files);
  return line;
}

WindowPosition TakeSettingsAtStart(const std::string& app_dir, const std::string& version,
                                   WindowPosition current, ProfileStore& store, FileSystem& files) {
  const std::string old_config = app_dir + kOldConfigName;
  std::optional<std::string> start_folder;
  if (files.FileExists(old_config)) start_folder = ReadFirstLine(files, old_config);

  const SettingsFile settings(store, app_dir + "FMIWAKER.ini");
  if (files.FileExists(app_dir + "FMIWAKER.INI")) {
    if (start_folder) files.Delete(old_config);
    return {settings.ReadNumber("Location", "Top", current.top),
            settings.ReadNumber("Location", "left", current.left)};
  }
  settings.WriteText("Version", "ver", version);
  settings.WriteText("Dir", "Dir", start_folder.value_or(app_dir));
  settings.WriteNumber("Location", "top", kFirstStartTop);
  settings.WriteNumber("Location", "left", kFirstStartLeft);
  if (start_folder) files.Delete(old_config);
  return {kFirstStartTop, kFirstStartLeft};
}

void SavePosition(const std::string& app_dir, WindowPosition position, ProfileStore& store) {
  const SettingsFile settings(store, app_dir + "Fmiwaker.ini");
  settings.WriteNumber("Location", "top", position.top);
  settings.WriteNumber("Location", "left", position.left);
}

std::optional<std::string> BrowseStartFolder(const std::string& app_dir, ProfileStore& store,
                                             FileSystem& files) {
  const std::string path = app_dir + "Fmiwaker.ini";
  if (!files.FileExists(path)) return std::nullopt;
  std::string folder = SettingsFile(store, path).ReadText("Dir", "Dir", app_dir);
  if (!files.FolderExists(folder)) return std::nullopt;
  char found = 0;
  const std::size_t end = LastDelimiterEnd(folder, "\\", &found);
  // A root such as "C:\" keeps its backslash; any other folder loses it.
  if (found == '\\' && end == folder.size() && !(end >= 2 && folder[end - 2] == ':')) {
    folder.pop_back();
  }
  return folder;
}

std::string VersionText(std::string_view decimal_separator) {
  return std::to_string(MIWAKE_VERSION_MAJOR) + std::string(decimal_separator) +
         std::to_string(MIWAKE_VERSION_MINOR);
}

}  // namespace miwake
