// What the Win32 implementations of the file interface share: the ANSI one
// of the main window and miwake's wide-character one.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "common/file_system.h"
#include "common/win32_handle.h"

namespace miwake {

// The open file of a handle, or null (ERROR_INVALID_FUNCTION) when it is no
// disk file: a pipe or a device reads as long as something writes into it.
std::unique_ptr<OpenFile> WrapDiskFile(FileHandle handle);

// The identity of the file a handle (of any access) stands for.
std::optional<FileIdentity> IdentityOfHandle(const FileHandle& handle);

}  // namespace miwake
