// The real main window under Wine, driven by messages, with its settings
// file in a scratch folder and its message boxes answered by a script.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/main_form.h"
#include "app/main_form_layout.h"
#include "identify/version_refiner.h"
#include "settings/settings_win32.h"
#include "support/fakes.h"
#include "support/scratch_folder_win32.h"

namespace miwake::testing {

struct FakeOpenDialog final : OpenFileDialog {
  void SetInitialFolder(const std::string& folder) override { initial_folder = folder; }
  std::optional<std::string> Run(HWND) override { return answer; }
  std::optional<std::string> initial_folder, answer;
};

// The scripted boxes, or the real ones where the focus is under test.
struct SwitchableBox final : AppMessageBox {
  explicit SwitchableBox(AppMessageBox& first) : use(&first) {}
  int Show(std::string_view text, std::string_view caption, unsigned flags) override {
    return use->Show(text, caption, flags);
  }
  AppMessageBox* use;
};

inline std::string Text(HWND window) {
  char buffer[1024] = {};
  ::GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

// The window's rectangle in its parent's client coordinates (the screen's for the form).
inline RECT RectOf(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class MainFormTest : public ::testing::Test {
 protected:
  std::unique_ptr<Tmainform> Create(const std::string& app_dir) {
    const AppPorts ports{*files, box_switch, classifier, *associations, *starter, profiles, dialog};
    return Tmainform::Create(::GetModuleHandleA(nullptr), ports, {app_dir, false});
  }
  void Make(const std::string& app_dir = {}) {
    form = Create(app_dir.empty() ? scratch.path() : app_dir);
    ASSERT_NE(form, nullptr);
    ::ShowWindow(form->hwnd(), SW_SHOWNORMAL);
  }
  HWND Item(int id) const { return form->Control(id); }
  void Command(int id) { ::SendMessageA(form->hwnd(), WM_COMMAND, id, 0); }
  // A button is clicked; a menu item chosen.
  std::string Run(int id, const std::string& file, int answer = kIdYes) {
    ::SetWindowTextA(Item(kEdit1), file.c_str());
    boxes.answers = {answer};
    id < IDM_KN1 ? (void)::SendMessageA(Item(id), BM_CLICK, 0, 0) : Command(id);
    EXPECT_EQ(Text(Item(kEdit1)), file) << "no command writes the file-name field";
    return Text(Item(kEdit2));
  }

  ScratchFolder scratch;
  ScriptedMessageBox boxes;
  SwitchableBox box_switch{boxes};
  FakeOpenDialog dialog;
  std::unique_ptr<FileSystem> files = MakePlatformFileSystem();
  NoBusyCursor cursor;
  VersionResourceRefiner refiner;
  Classifier classifier{*files, cursor, refiner};
  FakeAssociations fake_associations;
  RecordingStarter recording_starter;
  FileAssociations* associations = &fake_associations;
  ProgramStarter* starter = &recording_starter;
  Win32ProfileStore profiles;
  std::unique_ptr<Tmainform> form;
};

}  // namespace miwake::testing
