#include "commands/check.h"

#include <iostream>
#include <unordered_map>

#include "commands/vehicle_access.h"
#include "editing/field_table.h"
#include "flow/run_end.h"
#include "flow/state.h"
#include "handling/exact_lookup.h"
#include "handling/line_split.h"
#include "handling/vehicle_lookup.h"
#include "platform/platform.h"

namespace {

// The problems of the vehicle line `line` itself: too few columns, values that do not fit.
void checkVehicleLine(std::string_view line, std::vector<std::string>* problems) {
  const HandlingRecord fields = splitFields(line);
  const std::string name = cutShort(fields[0]);
  std::size_t columns = 0;
  while (columns < kFieldCount && !fields[columns].empty())
    ++columns;
  if (columns < kFieldCount) {
    problems->push_back(name + " has " + std::to_string(columns) + " columns; a vehicle " +
                        "line has " + std::to_string(kFieldCount));
  }
  for (std::size_t index = 1; index < columns; ++index) {
    if (!fitsKind(fieldTable[index].kind, fields[index]))
      problems->push_back(name + ": " + misfitText(index, quotedValue(fields[index])));
  }
}

int usageError(const std::string& what) {
  writeReport("vehicle-editor: " + what + " (see vehicle-editor --help)\n");
  return 2;
}

}  // namespace

bool checkLines(LineReader& in,
                const std::function<void(std::size_t line, const std::string& what)>& report) {
  if (!in.rewind()) return false;
  std::unordered_map<std::string, std::size_t> firstLineOf;
  std::string_view line;
  std::vector<std::string> problems;
  for (std::size_t number = 1; in.next(&line); ++number) {
    problems.clear();
    if (in.lineEnd() == LineEnd::cr) {
      problems.push_back("a CR alone ends this line; the game may not take it for a line end");
    }
    const std::string_view name = firstWord(line);
    if (isVehicleLine(line)) {
      checkVehicleLine(line, &problems);
      const auto [earlier, isFirst] = firstLineOf.emplace(name, number);
      if (!isFirst) {
        problems.push_back(cutShort(name) + " also begins line " + std::to_string(earlier->second) +
                           ", which the editor takes");
      }
    } else if (!name.empty() && !isMarkerLine(line)) {
      problems.push_back("a line indented before \"" + std::string(1, name[0]) +
                         "\": the menus may take it for a vehicle line");
    }
    for (const std::string& what : problems)
      report(number, what);
  }
  return !in.failed();
}

int runCheck(const std::vector<std::string_view>& words) {
  if (!words.empty()) {
    return usageError("check takes nothing more, but got \"" + std::string(words[0]) + "\"");
  }
  const std::string handlingName = kHandlingFileName;
  LineReader in;
  in.attach(platform::openForReading(kHandlingFileName));
  if (!in.isOpen()) {
    reportProblem(cannotOpenText());
    return 1;
  }
  int status = 0;
  const auto print = [&](std::size_t line, const std::string& what) {
    std::cout << handlingName << ":" << line << ": " << what << "\n";
    status = 1;
  };
  if (fileIsUtf16(in.file())) {
    print(1, "the file " + std::string(kUtf16Advice));
  } else if (!checkLines(in, print)) {
    writeReport("vehicle-editor: could not read " + handlingName + ": " + in.error() + ".\n");
    status = 1;
  }
  if (!std::cout.flush()) {
    writeReport("vehicle-editor: could not write the output: " + platform::lastErrorText() + ".\n");
    return 1;
  }
  return status;
}
