#pragma once

#include <array>
#include <cstddef>
#include <string>

// The first 33 columns of one vehicle's line, byte for byte: index 0 is the vehicle identifier,
// 1 to 32 its handling values. A column the line lacks is an empty string.
constexpr std::size_t kFieldCount = 33;
using HandlingRecord = std::array<std::string, kFieldCount>;
