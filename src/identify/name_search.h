// The search of a compound document for the name of the application that
// wrote it.
#pragma once

#include <bitset>
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

}  // namespace miwake
