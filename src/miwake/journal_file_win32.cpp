#include <windows.h>

#include <algorithm>

#include "common/win32_handle.h"
#include "miwake/journal_file.h"
#include "miwake/messages.h"
#include "miwake/wide_files_win32.h"

namespace miwake {
namespace {

class Win32JournalFile final : public JournalFile {
 public:
  explicit Win32JournalFile(FileHandle handle) : handle_(std::move(handle)) {}

  bool Append(std::string_view bytes) override {
    while (!bytes.empty()) {
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
      DWORD wrote = 0;
      if (!::WriteFile(handle_.get(), bytes.data(), want, &wrote, nullptr) || wrote == 0)
        return false;
      bytes.remove_prefix(wrote);
    }
    return ::FlushFileBuffers(handle_.get()) != 0;
  }

 private:
  FileHandle handle_;
};

}  // namespace

std::unique_ptr<JournalFile> CreateJournalFile(const std::string& path, std::string_view header,
                                               std::string& error, bool& taken) {
  FileHandle handle(::CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  taken = !handle && ::GetLastError() == ERROR_FILE_EXISTS;
  auto file = handle ? std::make_unique<Win32JournalFile>(std::move(handle)) : nullptr;
  if (!file || !file->Append(header)) {
    error = CauseText(static_cast<int>(::GetLastError()));
    return nullptr;
  }
  return file;
}

unsigned long ProcessId() {
  return ::GetCurrentProcessId();
}

std::tm LocalTime(std::time_t when) {
  std::tm local{};
  ::localtime_s(&local, &when);
  return local;
}

}  // namespace miwake
