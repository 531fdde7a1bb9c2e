#include "commands/vehicle_access.h"

#include <iostream>

#include "commands/closest_names.h"
#include "commands/parser.h"
#include "editing/field_table.h"
#include "flow/run_end.h"
#include "flow/startup.h"
#include "flow/state.h"
#include "handling/exact_lookup.h"
#include "handling/line_split.h"
#include "handling/vehicle_lookup.h"
#include "platform/platform.h"

void reportProblem(const std::string& what) {
  writeReport("vehicle-editor: " + what + ".\n");
}

int reportUsageError(const std::string& what) {
  writeReport("vehicle-editor: " + what + " (see vehicle-editor --help)\n");
  return kUsageErrorStatus;
}

std::string readError() {
  return "could not read " + std::string(kHandlingFileName) + ": " + handlingIn.error();
}

std::string cannotOpenText() {
  const std::string why = whyHandlingFileUnreadable();
  return "could not open " + std::string(kHandlingFileName) + " in " + platform::currentFolder() +
         (why.empty()
              ? "; start the editor in the folder that holds " + std::string(kHandlingFileName)
              : ": " + why);
}

bool openToLook() {
  handlingIn.attach(platform::openForReading(kHandlingFileName));
  if (handlingIn.isOpen() && fileIsUtf16(handlingIn.file())) refuseUtf16File();
  if (handlingIn.isOpen()) return true;
  reportProblem(cannotOpenText());
  return false;
}

std::string takeNamedVehicle() {
  if (findVehicleLineByFirstWord(handlingIn, vehicleName, &currentLine, &currentLineNumber) &&
      keepLookedUpFile()) {
    finished = 1;
    splitLine();
    return {};
  }
  if (handlingIn.failed()) return readError();
  ClosestNames closest(vehicleName);
  if (!forEachVehicleName(handlingIn, [&](std::string_view name) { closest.consider(name); }))
    return readError();
  std::string why = "no vehicle line of " + std::string(kHandlingFileName) + " begins with " +
                    quoted(vehicleName);
  for (std::size_t i = 0; i < closest.best().size(); ++i)
    why += (i == 0 ? " (closest: " : ", ") + closest.best()[i];
  if (!closest.best().empty()) why += ")";
  return why;
}

int afterOutput(int status) {
  if (std::cout.flush()) return status;
  reportProblem("could not write the output: " + platform::lastErrorText());
  return 1;
}

std::string shown(std::string_view text) {
  return text.empty() ? "\"\"" : std::string(text);
}

std::string changeLine(std::string_view vehicle, std::size_t index, std::string_view oldText,
                       std::string_view newText) {
  std::string line = std::string(vehicle) + ": " + std::string(plainName(index)) + " " +
                     shown(oldText) + " -> " + shown(newText);
  if (oldText == newText) line += " (unchanged)";
  return line + "\n";
}
