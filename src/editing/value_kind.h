// The forms of value the game reads in the columns of a vehicle line. The editor still stores
// what the user types; these only tell when a value is not what the game expects.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class ValueKind {
  name,        // the vehicle identifier: any word
  decimal,     // a number with at most one dot, such as 1500.0, -0.15 or 70
  whole,       // a whole number, such as 5 or 38500, that fits 32 bits
  driveType,   // F, R or 4
  engineType,  // P, D or E
  onOff,       // 0 or 1
  hexFlags,    // 1 to 8 hexadecimal digits, such as 2CD7
};

// Whether the game reads `value` as a value of `kind`.
bool fitsKind(ValueKind kind, std::string_view value);

// What the game expects in a column of `kind`, for notes and refusals: "a decimal number with a
// dot, such as 2.5".
const char* expectedForm(ValueKind kind);

// The value the user meant by `value`, which does not fit `kind`, when that is beyond doubt: a
// decimal written with one comma instead of a dot ("2,5" meant 2.5). Empty when it is not: a
// comma that may group thousands ("1,100", "1,100.5") or anything else.
std::string numberMeant(ValueKind kind, std::string_view value);

// `text` in double quotes for a note, cut short after kShownBytes bytes ("..." after the quote
// then), so that a note stays a line or two however long the text.
inline constexpr std::size_t kShownBytes = 24;
std::string quotedValue(std::string_view text);
// `text` as it is, or cut short the same way, for a vehicle's name.
std::string cutShort(std::string_view text);
