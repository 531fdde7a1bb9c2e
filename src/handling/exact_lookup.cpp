#include "handling/exact_lookup.h"

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

bool findVehicleLineByFirstWord(LineReader& in, std::string_view name, std::string* line,
                                std::size_t* lineNumber) {
  if (!in.rewind()) return false;
  std::string_view candidate;
  for (std::size_t number = 0; in.next(&candidate); ++number) {
    if (!isMarkerLine(candidate) && firstWord(candidate) == name) {
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
    const std::string_view name = firstWord(candidate);
    if (!isMarkerLine(candidate) && !name.empty()) visit(name);
  }
  return !in.failed();
}
