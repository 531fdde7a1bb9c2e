#include "handling/exact_lookup.h"

#include "editing/value_kind.h"
#include "handling/line_split.h"
#include "handling/vehicle_lookup.h"

std::string_view firstWord(std::string_view line) {
  std::size_t start = 0;
  while (start < line.size() && isFieldSeparator(line[start]))
    ++start;
  std::size_t end = start;
  while (end < line.size() && !isFieldSeparator(line[end]))
    ++end;
  return line.substr(start, end - start);
}

bool isVehicleLine(std::string_view line) {
  const std::string_view name = firstWord(line);
  return !name.empty() && !isMarkerLine(name);
}

void SameNameLines::add(std::size_t number) {
  ++count;
  if (first.size() < kListed) first.push_back(number);
}

bool addSameNameLines(LineReader& in, std::string_view name, std::size_t number, std::size_t stop,
                      SameNameLines* same) {
  std::string_view line;
  for (; number < stop && in.next(&line); ++number) {
    if (isVehicleLine(line) && firstWord(line) == name) same->add(number);
  }
  return !in.failed();
}

std::string sameNameNote(std::string_view name, std::size_t taken, const SameNameLines& same) {
  if (same.count == 0) return {};
  std::string note =
      "line " + std::to_string(taken + 1) + " is taken; " + cutShort(name) + " also begins ";
  if (same.count > same.first.size()) {
    return note + std::to_string(same.count) + " other lines, the first of them line " +
           std::to_string(same.first[0] + 1);
  }
  note += same.count == 1 ? "line " : "lines ";
  for (std::size_t i = 0; i < same.first.size(); ++i) {
    if (i > 0) note += i + 1 == same.first.size() ? " and " : ", ";
    note += std::to_string(same.first[i] + 1);
  }
  return note;
}

bool findVehicleLineByFirstWord(LineReader& in, std::string_view name, std::string* line,
                                std::size_t* lineNumber) {
  if (!in.rewind()) return false;
  std::string_view candidate;
  for (std::size_t number = 0; in.next(&candidate); ++number) {
    if (isVehicleLine(candidate) && firstWord(candidate) == name) {
      line->assign(candidate);
      *lineNumber = number;
      return true;
    }
  }
  return false;
}

bool forEachVehicleName(LineReader& in, const std::function<void(std::string_view)>& visit) {
  if (!in.rewind()) return false;
  std::string_view candidate;
  while (in.next(&candidate)) {
    if (isVehicleLine(candidate)) visit(firstWord(candidate));
  }
  return !in.failed();
}
