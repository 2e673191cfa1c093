// The search of a compound document for the name of the application that
// wrote it.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>

#include "common/file_system.h"
#include "identify/signatures.h"

namespace miwake {

// One flag per application-name entry, kFirstAppName first.
using AppNameFlags = std::bitset<kLastAppName - kFirstAppName + 1>;

// Searches the file from the names' position on, in blocks of 2500 bytes that
// overlap by the longest name, and stops after the first block with a hit;
// every name found in that block is flagged. Empty on a failed file operation.
std::optional<AppNameFlags> SearchApplicationNames(OpenFile& file);

// Where in the file each flagged name stands (the first time in its block).
using AppNamePositions = std::array<std::uint64_t, AppNameFlags().size()>;
std::optional<AppNameFlags> SearchApplicationNames(OpenFile& file, AppNamePositions* where);

}  // namespace miwake
