#pragma once

#include <cstddef>
#include <string_view>

// One column of a vehicle line: the code the user types to pick it in the value editor and the
// name the editor shows for it. The identifier column (index 0) has neither.
struct FieldInfo {
  const char* code;
  const char* displayName;
};

// The 33 columns in line order.
extern const FieldInfo fieldTable[];

// The index of the field whose code is exactly `code` ("B" to "Z" are 1 to 25, "aa" to "ag"
// 26 to 32), or 0 when `code` is no code; index 0 itself has no code.
std::size_t fieldIndexForCode(std::string_view code);
