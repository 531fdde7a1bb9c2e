// libFuzzer target over the line splitter and the record line. Any bytes split without harm;
// the record line built from the fields holds each of them with 83 separating spaces, and splits
// back into the same fields in the same order.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "handling/line_split.h"
#include "handling/record_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const HandlingRecord fields = splitFields(input);

  std::size_t textLength = 0;
  for (const std::string& field : fields) {
    for (char c : field) {
      if (isFieldSeparator(c)) __builtin_trap();
    }
    textLength += field.size();
  }
  const std::string line = buildRecordLine(fields);
  if (line.size() != textLength + 83) __builtin_trap();

  // Empty fields vanish in the split, so the fields that had text come first, in order.
  const HandlingRecord again = splitFields(line);
  std::size_t next = 0;
  for (const std::string& field : fields) {
    if (!field.empty() && again[next++] != field) __builtin_trap();
  }
  for (; next < kFieldCount; ++next) {
    if (!again[next].empty()) __builtin_trap();
  }
  return 0;
}
