// The number syntax of the settings file's position values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace miwake {

// Spaces, then a signed decimal in the int32 range or "$" and hexadecimal
// digits taken as a 32-bit pattern ("0x"/"0X" count as "$" when more follows),
// with nothing after; otherwise nothing.
std::optional<std::int32_t> ParseSettingsNumber(std::string_view text);

std::string FormatSettingsNumber(std::int32_t value);

}  // namespace miwake
