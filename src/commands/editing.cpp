#include "commands/editing.h"

#include <iostream>
#include <new>

#include "commands/parser.h"
#include "commands/vehicle_access.h"
#include "editing/value_editor.h"
#include "flow/dispatcher.h"
#include "flow/run_end.h"
#include "flow/startup.h"
#include "flow/state.h"

namespace {

// Why the edited record would not read back as edited: a value after a column the line lacks
// (an empty field) would land in that column when the line is split again. Empty when it reads
// back.
std::string columnsThatWouldShift(const HandlingRecord& edited) {
  for (std::size_t index = 1; index + 1 < kFieldCount; ++index) {
    if (!edited[index].empty()) continue;
    for (std::size_t later = index + 1; later < kFieldCount; ++later) {
      if (!edited[later].empty())
        return "the line of " + vehicleName + " has no column " + std::string(displayName(index)) +
               ", so " + std::string(displayName(later)) + " would land in another column";
    }
    break;
  }
  return {};
}

// Makes the edit of set or preset on `record`, as the value editor or the preset of `mode` does,
// and prints each change it makes; or, when the edited line would not keep its values in their
// columns, says why and changes nothing.
std::string applyRequestedEdit() {
  const HandlingRecord before = record;
  std::string listing;
  if (mode == modeManual) {
    for (const auto& [index, text] : commandLineValues) {
      listing += changeLine(vehicleName, index, record[index], text);
      record[index] = text;
    }
    finished = 1;
  } else {
    editRecord();
    for (std::size_t index = 1; index < kFieldCount; ++index) {
      if (record[index] != before[index])
        listing += changeLine(vehicleName, index, before[index], record[index]);
    }
    if (listing.empty()) listing = vehicleName + ": every value is as the preset sets it\n";
  }
  const std::string shift = columnsThatWouldShift(record);
  if (!shift.empty()) return shift;
  // Before the file is written: a run stopped later still shows what it was asked to change.
  std::cout << listing << std::flush;
  // As after the final menu of the menus.
  mode = modeDone;
  finished = 1;
  return {};
}

// set or preset with --dry-run.
int showEdit() {
  if (!openToLook()) return 1;
  const std::string why = takeNamedVehicle();
  if (!why.empty()) {
    reportProblem(why);
    return 1;
  }
  const std::string shift = applyRequestedEdit();
  if (!shift.empty()) {
    reportProblem(shift);
    return 1;
  }
  std::cout << "Dry run: " << kHandlingFileName << " was not changed.\n";
  return afterOutput(0);
}

// The edit that set or preset asked for, written exactly as after the menus.
void makeEdit() {
  const std::string why = takeNamedVehicle();
  if (!why.empty()) {
    discardTempFile();
    reportNotChanged(why);
    return;
  }
  const std::string shift = applyRequestedEdit();
  if (!shift.empty()) {
    discardTempFile();
    reportNotChanged(shift);
    return;
  }
  writeAndReplace();
}

int edit(const Command& command, int editMode) {
  vehicleName = command.vehicle;
  mode = editMode;
  commandLineValues = command.values;
  if (command.dryRun) return showEdit();
  commandLineEdit = 1;
  // Memory runs out only for a line of handling.cfg of hundreds of megabytes, as in the menus.
  try {
    startUp();
    if (!handlingIn.isOpen()) {
      reportMissingHandlingFile();
      return 1;
    }
  } catch (const std::bad_alloc&) {
    abandonForLackOfMemory(
        "vehicle-editor: there was not enough memory to start; handling.cfg was not changed.\n");
  }
  try {
    makeEdit();
  } catch (const std::bad_alloc&) {
    abandonForLackOfMemory(
        "vehicle-editor: there was not enough memory to hold a line of handling.cfg;\n"
        "handling.cfg was not changed.\n");
  }
  return exitStatus;
}

}  // namespace

int runSet(const Command& command) {
  return edit(command, modeManual);
}

int runPreset(const Command& command) {
  return edit(command, command.presetMode);
}
