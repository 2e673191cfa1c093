// FMIWAKER.EXE itself, started as a process from a copy in a scratch folder
// and driven from outside through its window's controls.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/main_form_layout.h"
#include "common/win32_handle.h"
#include "support/scratch_folder_win32.h"

namespace miwake {
namespace {

std::string ExePath() {
  std::string path = MIWAKE_FMIWAKER_EXE;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;  // Wine's drive for the Unix root
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

struct FindData {
  DWORD process_id;
  HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM data) {
  auto* find = reinterpret_cast<FindData*>(data);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  if (owner == find->process_id && std::string(name) == "Tmainform") {
    find->found = window;
    return FALSE;
  }
  return TRUE;
}

std::string TextOf(HWND window) {
  char buffer[512] = {};
  ::SendMessageA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

TEST(FmiwakerSmokeTest, IdentifiesThroughItsWindowAndSavesItsPositionAtTheEnd) {
  testing::ScratchFolder scratch;
  const std::string exe = scratch.path() + "FMIWAKER.EXE";
  ASSERT_TRUE(::CopyFileA(ExePath().c_str(), exe.c_str(), FALSE)) << ExePath();
  const std::string memo = scratch.Write("memo.doc", "これはメモです。\r\n");

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string command = "\"" + exe + "\"";
  ASSERT_TRUE(::CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               scratch.path().c_str(), &startup, &info));
  const FileHandle process(info.hProcess);
  const FileHandle thread(info.hThread);
  ::WaitForInputIdle(process.get(), 10000);

  // The window appears once the process has started; there is nothing to wait on but it.
  FindData find{info.dwProcessId, nullptr};
  for (int i = 0; i < 200 && find.found == nullptr; ++i) {
    ::EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&find));
    if (find.found == nullptr) ::Sleep(50);
  }
  ASSERT_NE(find.found, nullptr) << "no main window";
  const HWND form = find.found;
  EXPECT_EQ(TextOf(form), "ミワケール");

  ::SendMessageA(::GetDlgItem(form, kEdit1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(memo.c_str()));
  ::SendMessageA(form, WM_COMMAND, MAKEWPARAM(kButton2, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(form, kButton2)));
  EXPECT_EQ(TextOf(::GetDlgItem(form, kEdit2)), "これはテキスト(TXT)ファイルです。");

  ::SetWindowPos(form, nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::PostMessageA(form, WM_CLOSE, 0, 0);
  ASSERT_EQ(::WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);
  DWORD exit_code = 1;
  ::GetExitCodeProcess(process.get(), &exit_code);
  EXPECT_EQ(exit_code, 0u);

  const std::string ini = scratch.path() + "FMIWAKER.ini";
  EXPECT_EQ(::GetPrivateProfileIntA("Location", "top", -1, ini.c_str()), 45);
  EXPECT_EQ(::GetPrivateProfileIntA("Location", "left", -1, ini.c_str()), 123);
  char version[16] = {};
  ::GetPrivateProfileStringA("Version", "ver", "", version, sizeof version, ini.c_str());
  EXPECT_STREQ(version, "3.12");
}

std::string VersionValue(const std::vector<char>& block, const char* path) {
  void* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueA(block.data(), path, &value, &length)) return "<none>";
  return static_cast<const char*>(value);
}

TEST(FmiwakerSmokeTest, CarriesItsJapaneseVersionResourceAndIcons) {
  const std::string exe = ExePath();
  DWORD handle = 0;
  std::vector<char> block(::GetFileVersionInfoSizeA(exe.c_str(), &handle));
  ASSERT_FALSE(block.empty());
  ASSERT_TRUE(
      ::GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
  ASSERT_GE(length, 4u);
  EXPECT_EQ(static_cast<const WORD*>(value)[0], 0x0411);
  EXPECT_EQ(static_cast<const WORD*>(value)[1], 932);
  ASSERT_TRUE(::VerQueryValueA(block.data(), "\\", &value, &length));
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x0003000Cu);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x0003000Cu);
  const struct {
    const char* key;
    const char* value;
  } strings[] = {{"FileDescription", "ミワケール"},
                 {"ProductName", "ミワケール"},
                 {"FileVersion", "3.12.0.0"},
                 {"ProductVersion", "3.12"},
                 {"InternalName", "FMIWAKER.EXE"},
                 {"OriginalFilename", "FMIWAKER.EXE"},
                 {"Comments", "ファイルの内容から拡張子を判別・変更するソフト"}};
  for (const auto& s : strings) {
    const std::string path = std::string("\\StringFileInfo\\041103A4\\") + s.key;
    EXPECT_EQ(VersionValue(block, path.c_str()), s.value) << s.key;
  }
  EXPECT_EQ(::ExtractIconExA(exe.c_str(), -1, nullptr, nullptr, 0), 2u);
}

}  // namespace
}  // namespace miwake
