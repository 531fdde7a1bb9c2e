#include "handling/line_split.h"

#include "flow/state.h"

bool isFieldSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

HandlingRecord splitFields(std::string_view line) {
  HandlingRecord fields;
  std::size_t position = 0;
  for (std::string& field : fields) {
    while (position < line.size() && isFieldSeparator(line[position]))
      ++position;
    const std::size_t start = position;
    while (position < line.size() && !isFieldSeparator(line[position]))
      ++position;
    field.assign(line.substr(start, position - start));
  }
  return fields;
}

void splitLine() {
  record = splitFields(currentLine);
}
