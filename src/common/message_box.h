// The application's modal message box. Commands ask and warn only through
// this, so tests and the command-line tool can answer in their own way.
#pragma once

#include <string_view>

namespace miwake {

// Flags and answers with the values MessageBoxA takes and gives.
inline constexpr unsigned kMbOk = 0x00;
inline constexpr unsigned kMbIconStop = 0x10;          // MB_OK | MB_ICONSTOP
inline constexpr unsigned kMbYesNoQuestion = 0x24;     // MB_YESNO | MB_ICONQUESTION
inline constexpr unsigned kMbOkExclamation = 0x30;     // MB_OK | MB_ICONEXCLAMATION
inline constexpr unsigned kMbYesNoExclamation = 0x34;  // MB_YESNO | MB_ICONEXCLAMATION
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// The caption of the program's own boxes: its errors and what it could not do.
inline constexpr const char* kAppTitle = "ミワケール";

class AppMessageBox {
 public:
  virtual ~AppMessageBox() = default;
  // Shows the box and returns the answer (kIdOk, kIdYes, kIdNo, ...).
  virtual int Show(std::string_view text, std::string_view caption, unsigned flags) = 0;
};

}  // namespace miwake
