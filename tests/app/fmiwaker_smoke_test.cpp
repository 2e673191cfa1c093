// FMIWAKER.EXE itself, started as a process from a copy in a scratch folder
// and driven from outside through its window's controls.
#include <windows.h>

#include <shellapi.h>

#include <cstdlib>

#include <gtest/gtest.h>

#include "app/main_form_layout.h"
#include "common/win32_handle.h"
#include "identify/version_refiner.h"
#include "support/temp_folder.h"

namespace miwake {
namespace {

// An unpacked archive's program, if named, is started where it lies.
const char* Unpacked() {
  return std::getenv("MIWAKE_UNPACKED_EXE");
}

std::string ExePath() {
  std::string path = Unpacked() ? Unpacked() : MIWAKE_FMIWAKER_EXE;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;  // Wine's drive for the Unix root
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

TEST(FmiwakerSmokeTest, IdentifiesThroughItsWindowAndSavesItsPositionAtTheEnd) {
  testing::TempFolder scratch;
  const std::string exe = Unpacked() ? ExePath() : scratch.path() + "FMIWAKER.EXE";
  if (!Unpacked()) {
    ASSERT_TRUE(::CopyFileA(ExePath().c_str(), exe.c_str(), FALSE)) << ExePath();
  }
  const std::string memo = scratch.Write("memo.doc", "これはメモです。\r\n");
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(::CreateProcessA(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                               scratch.path().c_str(), &startup, &info));
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

  ::SendMessageA(::GetDlgItem(form, kEdit1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(memo.c_str()));
  ::SendMessageA(form, WM_COMMAND, MAKEWPARAM(kButton2, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(form, kButton2)));
  char result[256] = {};  // WM_GETTEXT: GetWindowText does not ask another process's window
  ::SendMessageA(::GetDlgItem(form, kEdit2), WM_GETTEXT, sizeof result,
                 reinterpret_cast<LPARAM>(result));
  EXPECT_STREQ(result, "これはテキスト(TXT)ファイルです。");

  ::SetWindowPos(form, nullptr, 123, 45, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::PostMessageA(form, WM_CLOSE, 0, 0);
  ASSERT_EQ(::WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0);
  DWORD exit_code = 1;
  ::GetExitCodeProcess(process.get(), &exit_code);
  EXPECT_EQ(exit_code, 0u);
  const std::string ini = exe.substr(0, exe.rfind('\\') + 1) + "FMIWAKER.ini";
  EXPECT_EQ(::GetPrivateProfileIntA("Location", "top", -1, ini.c_str()), 45);
  EXPECT_EQ(::GetPrivateProfileIntA("Location", "left", -1, ini.c_str()), 123);
}

TEST(FmiwakerSmokeTest, CarriesItsVersionResourceAndIcons) {
  // Read back as the program reads any executable's: through the first
  // translation, Japanese with code page 932.
  EXPECT_EQ(ReadOriginalFilename(ExePath()), "FMIWAKER.EXE");
  EXPECT_EQ(::ExtractIconExA(ExePath().c_str(), -1, nullptr, nullptr, 0), 2u);
}

}  // namespace
}  // namespace miwake
