#include "handling/line_split.h"

#include "flow/state.h"

namespace {

// The field that starts at or after `*position` (empty when only separators are left); moves
// `*position` to the byte right after it.
std::string_view nextField(std::string_view line, std::size_t* position) {
  while (*position < line.size() && isFieldSeparator(line[*position]))
    ++*position;
  const std::size_t start = *position;
  while (*position < line.size() && !isFieldSeparator(line[*position]))
    ++*position;
  return line.substr(start, *position - start);
}

}  // namespace

bool isFieldSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

HandlingRecord splitFields(std::string_view line) {
  HandlingRecord fields;
  std::size_t position = 0;
  for (std::string& field : fields)
    field.assign(nextField(line, &position));
  return fields;
}

std::string_view tailAfterFields(std::string_view line) {
  std::size_t position = 0;
  for (std::size_t index = 0; index < kFieldCount; ++index)
    nextField(line, &position);
  std::size_t probe = position;
  if (nextField(line, &probe).empty()) return {};
  return line.substr(position);
}

void splitLine() {
  record = splitFields(currentLine);
}
