// FMIWAKER.EXE itself, started as a process from a copy in a scratch folder,
// or where an unpacked archive put it, and driven from outside.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "common/win32_handle.h"
#include "fmiwaker/main_form_layout.h"
#include "support/temp_folder.h"

namespace miwake {
namespace {

TEST(FmiwakerSmokeTest, IdentifiesThroughItsWindowAndSavesItsPositionAtTheEnd) {
  testing::TempFolder scratch;
  const char* unpacked = std::getenv("MIWAKE_UNPACKED_EXE");
  std::string exe = unpacked ? unpacked : MIWAKE_FMIWAKER_EXE;
  if (exe.starts_with('/')) exe = "Z:" + exe;  // Wine's drive for the Unix root
  std::replace(exe.begin(), exe.end(), '/', '\\');
  if (!unpacked) {
    ASSERT_TRUE(::CopyFileA(exe.c_str(), (scratch.path() + "FMIWAKER.EXE").c_str(), FALSE)) << exe;
    exe = scratch.path() + "FMIWAKER.EXE";
  }
  // Named on the command line, as Explorer names a file dropped on the program.
  const std::string memo = scratch.Write("memo 1.doc", "これはメモです。\r\n");
  std::string command_line = "\"" + exe + "\" \"" + memo + "\" other.doc";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(::CreateProcessA(exe.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, scratch.path().c_str(), &startup, &info));
  const FileHandle process(info.hProcess), thread(info.hThread);
  ::WaitForInputIdle(process.get(), 10000);
  // Other tests' windows of the same class may be about; only this process's counts.
  HWND form = nullptr;
  for (int i = 0; i < 200 && form == nullptr; ++i, ::Sleep(50)) {
    for (HWND w = nullptr;
         form == nullptr && (w = ::FindWindowExA(nullptr, w, "Tmainform", nullptr));) {
      DWORD owner = 0;
      ::GetWindowThreadProcessId(w, &owner);
      if (owner == info.dwProcessId) form = w;
    }
  }
  ASSERT_NE(form, nullptr) << "no main window";

  auto text = [&](int id) {  // WM_GETTEXT: GetWindowText asks no other process; in UTF-16, as 932
    wchar_t wide[MAX_PATH] = {};
    ::SendMessageW(::GetDlgItem(form, id), WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(wide));
    char text[2 * MAX_PATH] = {};
    ::WideCharToMultiByte(932, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return std::string(text);
  };
  EXPECT_EQ(text(kEdit1), memo);
  ::SendMessageA(form, WM_COMMAND, MAKEWPARAM(kButton2, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(form, kButton2)));
  EXPECT_EQ(text(kEdit2), "これはテキスト(TXT)ファイルです。");

  ::SetWindowPos(form, nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::PostMessageA(form, WM_COMMAND, MAKEWPARAM(kButton5, BN_CLICKED),  // 終了
                 reinterpret_cast<LPARAM>(::GetDlgItem(form, kButton5)));
  ASSERT_EQ(::WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);
  DWORD exit_code = 1;
  EXPECT_TRUE(::GetExitCodeProcess(process.get(), &exit_code) && exit_code == 0) << exit_code;
  const std::string ini = exe.substr(0, exe.rfind('\\') + 1) + "FMIWAKER.ini";
  EXPECT_EQ(::GetPrivateProfileIntA("Location", "top", -1, ini.c_str()), 45);
  EXPECT_EQ(::GetPrivateProfileIntA("Location", "left", -1, ini.c_str()), 123);
}

}  // namespace
}  // namespace miwake
