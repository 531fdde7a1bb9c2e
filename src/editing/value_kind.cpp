#include "editing/value_kind.h"

#include <cstdint>

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isHexDigit(char c) {
  return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::string_view withoutMinus(std::string_view value) {
  if (!value.empty() && value[0] == '-') value.remove_prefix(1);
  return value;
}

bool allDigits(std::string_view text) {
  for (const char c : text) {
    if (!isDigit(c)) return false;
  }
  return !text.empty();
}

bool isDecimal(std::string_view value) {
  const std::string_view number = withoutMinus(value);
  const std::size_t dot = number.find('.');
  if (dot == std::string_view::npos) return allDigits(number);
  const std::string_view before = number.substr(0, dot);
  const std::string_view after = number.substr(dot + 1);
  // "5." and ".5" are numbers; "." is not.
  return (before.empty() || allDigits(before)) && (after.empty() || allDigits(after)) &&
         !(before.empty() && after.empty());
}

bool isWhole(std::string_view value) {
  const bool negative = !value.empty() && value[0] == '-';
  const std::string_view digits = withoutMinus(value);
  if (!allDigits(digits)) return false;
  // Up to 2147483647, or 2147483648 below zero: what a 32-bit number holds.
  std::uint64_t number = 0;
  for (const char c : digits) {
    number = number * 10 + static_cast<std::uint64_t>(c - '0');
    if (number > (std::uint64_t{1} << 31)) return false;
  }
  return negative || number < (std::uint64_t{1} << 31);
}

bool isHexFlags(std::string_view value) {
  if (value.empty() || value.size() > 8) return false;
  for (const char c : value) {
    if (!isHexDigit(c)) return false;
  }
  return true;
}

}  // namespace

bool fitsKind(ValueKind kind, std::string_view value) {
  switch (kind) {
    case ValueKind::name:
      return !value.empty();
    case ValueKind::decimal:
      return isDecimal(value);
    case ValueKind::whole:
      return isWhole(value);
    case ValueKind::driveType:
      return value == "F" || value == "R" || value == "4";
    case ValueKind::engineType:
      return value == "P" || value == "D" || value == "E";
    case ValueKind::onOff:
      return value == "0" || value == "1";
    case ValueKind::hexFlags:
      return isHexFlags(value);
  }
  return false;
}

const char* expectedForm(ValueKind kind) {
  switch (kind) {
    case ValueKind::name:
      return "a name";
    case ValueKind::decimal:
      return "a decimal number with a dot, such as 2.5";
    case ValueKind::whole:
      return "a whole number, such as 5";
    case ValueKind::driveType:
      return "F, R or 4 (front, rear or four-wheel drive)";
    case ValueKind::engineType:
      return "P, D or E (petrol, diesel or electric)";
    case ValueKind::onOff:
      return "0 or 1";
    case ValueKind::hexFlags:
      return "hexadecimal flags, 1 to 8 of 0-9 and A-F, such as 2CD7";
  }
  return "";
}

std::string numberMeant(ValueKind kind, std::string_view value) {
  if (kind != ValueKind::decimal) return {};
  const std::size_t comma = value.find(',');
  if (comma == std::string_view::npos) return {};
  const std::string_view whole = withoutMinus(value.substr(0, comma));
  const std::string_view fraction = value.substr(comma + 1);
  // 1,100 may be eleven hundred written the English way: only a 0 before the comma, or other
  // than three digits after it, makes it a decimal comma beyond doubt.
  if (fraction.size() == 3 && whole != "0" && !whole.empty()) return {};
  std::string dotted(value);
  dotted[comma] = '.';
  return fitsKind(kind, dotted) ? dotted : std::string();
}

std::string quotedValue(std::string_view text) {
  if (text.size() <= kShownBytes) return "\"" + std::string(text) + "\"";
  return "\"" + std::string(text.substr(0, kShownBytes)) + "\"...";
}

std::string cutShort(std::string_view text) {
  if (text.size() <= kShownBytes) return std::string(text);
  return std::string(text.substr(0, kShownBytes)) + "...";
}
