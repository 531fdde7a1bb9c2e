#include "commands/looking.h"

#include <iostream>

#include "commands/parser.h"
#include "commands/vehicle_access.h"
#include "editing/field_table.h"
#include "flow/state.h"
#include "handling/exact_lookup.h"

int runList(const Command&) {
  if (!openToLook()) return 1;
  if (!forEachVehicleName(handlingIn, [](std::string_view name) { std::cout << name << '\n'; })) {
    reportProblem(readError());
    return 1;
  }
  return afterOutput(0);
}

namespace {

// Opens handling.cfg for reading alone and takes the line of the command's vehicle into
// `record`; says why not and returns false when it cannot.
bool lookUpNamedVehicle(const Command& command) {
  vehicleName = command.vehicle;
  if (!openToLook()) return false;
  const std::string why = takeNamedVehicle();
  if (why.empty()) return true;
  reportProblem(why);
  return false;
}

}  // namespace

int runShow(const Command& command) {
  if (!lookUpNamedVehicle(command)) return 1;
  std::cout << describeVehicle(record, currentLineNumber);
  return afterOutput(0);
}

int runGet(const Command& command) {
  if (!lookUpNamedVehicle(command)) return 1;
  for (const std::size_t index : command.fields)
    std::cout << record[index] << '\n';
  return afterOutput(0);
}

std::string describeVehicle(const HandlingRecord& fields, std::size_t lineNumber) {
  std::string text =
      fields[0] + ", line " + std::to_string(lineNumber + 1) + " of " + kHandlingFileName + ":\n";
  for (std::size_t index = 1; index < kFieldCount; ++index) {
    std::string code = fieldTable[index].code;
    code.resize(4, ' ');
    std::string name(plainName(index));
    name.resize(40, ' ');
    text += code + name + shown(fields[index]) + "\n";
  }
  return text;
}
