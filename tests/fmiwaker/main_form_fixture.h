// The real main window under Wine, driven by messages, with its settings
// file in a scratch folder, the real registry and program starts, and its
// message boxes answered by a script unless real ones are under test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "actions/ports_win32.h"
#include "fmiwaker/main_form.h"
#include "fmiwaker/main_form_layout.h"
#include "identify/version_refiner.h"
#include "settings/settings_win32.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

namespace miwake::testing {

// The window's rectangle in its parent's client coordinates (the screen's for the form).
inline RECT RectOf(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class MainFormTest : public ::testing::Test,
                     protected AppMessageBox,
                     ProgramStarter,
                     OpenFileDialog {
 protected:
  int Show(std::string_view text, std::string_view caption, unsigned flags) override {
    return (real_boxes ? *real_boxes : boxes).Show(text, caption, flags);
  }
  // Starts are noted in `events`.
  std::uintptr_t StartProgram(const std::string& command_line) override {
    events.push_back("<start>");
    return starter.StartProgram(command_line);
  }
  std::uintptr_t OpenDocument(const std::string& file, bool owned) override {
    events.push_back("<open> " + file);
    return starter.OpenDocument(file, owned);
  }
  void SetInitialFolder(const std::string& folder) override { initial_folder = folder; }
  std::optional<std::string> Run(HWND) override { return chosen; }

  std::unique_ptr<Tmainform> Create(const std::string& app_dir) {
    const AppPorts ports{*files, *this, identifier, registry, *this, profiles, *this};
    return Tmainform::Create(::GetModuleHandleA(nullptr), ports, {app_dir, false});
  }
  void Make(const std::string& app_dir = {}) {
    form = Create(app_dir.empty() ? scratch.path() : app_dir);
    ASSERT_NE(form, nullptr);
    ::ShowWindow(form->hwnd(), SW_SHOWNORMAL);
  }
  HWND Item(int id) const { return form->Control(id); }
  void Command(int id) { ::SendMessageA(form->hwnd(), WM_COMMAND, id, 0); }
  // A button is clicked, a menu item chosen; the result field's text.
  std::string Click(int id, const std::string& file, int answer = kIdYes) {
    ::SetWindowTextA(Item(kEdit1), file.c_str());
    ::SetWindowTextA(Item(kEdit2), "");
    boxes.answers = {answer};
    id < IDM_KN1 ? (void)::SendMessageA(Item(id), BM_CLICK, 0, 0) : Command(id);
    EXPECT_EQ(WindowText(Item(kEdit1)), file) << "no command writes the file-name field";
    return WindowText(Item(kEdit2));
  }

  TempFolder scratch;
  FakePorts boxes;
  AppMessageBox* real_boxes = nullptr;
  std::optional<std::string> initial_folder, chosen;
  std::vector<std::string> events;
  std::unique_ptr<FileSystem> files = MakePlatformFileSystem();
  VersionResourceRefiner refiner;
  Classifier classifier{refiner};
  Identifier identifier{classifier, *files, boxes};
  Win32FileAssociations registry;
  Win32ProgramStarter starter;
  Win32ProfileStore profiles;
  std::unique_ptr<Tmainform> form;
};

}  // namespace miwake::testing
