#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "editing/value_kind.h"
#include "handling/handling_record.h"

// One column of a vehicle line: the code the user types to pick it in the value editor, the
// name the editor shows for it and the form of value the game reads there. The identifier column
// (index 0) has neither code nor name.
struct FieldInfo {
  const char* code;
  const char* displayName;
  ValueKind kind;
};

// The 33 columns in line order.
extern const FieldInfo fieldTable[];

// The index of the field whose code is exactly `code` ("B" to "Z" are 1 to 25, "aa" to "ag"
// 26 to 32), or 0 when `code` is no code; index 0 itself has no code.
std::size_t fieldIndexForCode(std::string_view code);

// The display name of the field at `index` without the blank that ends one, for notes.
std::string_view plainName(std::size_t index);

// What the editor says of a value that does not fit the field at `index`, shown as `what`: the
// field's name and what the game expects there.
std::string misfitText(std::size_t index, std::string_view what);

// Why the edited record would not read back as edited: a value after a column the line lacks
// (an empty field) would land in that column when the line is split again. Empty when it reads
// back.
std::string columnsThatWouldShift(const HandlingRecord& edited);
