#include "handling/record_line.h"

namespace {

// How many spaces follow each field; the game's own files are laid out this way.
constexpr std::size_t kSpacesAfter[kFieldCount] = {
    9,  1, 1, 1, 1, 1, 1, 1, 1, 2,   // identifier, fields 1 to 9
    1,  1, 1, 1, 1, 1, 1, 1, 1, 1,   // fields 10 to 19
    1,  1, 1, 1, 1, 1, 1, 1, 1, 28,  // fields 20 to 29
    16, 1, 0,                        // fields 30 to 32
};

}  // namespace

std::string buildRecordLine(const HandlingRecord& fields) {
  std::string line;
  for (std::size_t index = 0; index < kFieldCount; ++index) {
    line += fields[index];
    line.append(kSpacesAfter[index], ' ');
  }
  return line;
}
