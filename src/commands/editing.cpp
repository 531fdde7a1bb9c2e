#include "commands/editing.h"

#include "commands/parser.h"
#include "commands/vehicle_edits.h"
#include "flow/state.h"

namespace {

// A vehicle the file lacks, or an edit that would shift its columns.
constexpr int kRefusedStatus = 1;

}  // namespace

int runSet(const Command& command) {
  VehicleEdit edit;
  edit.vehicle = command.vehicle;
  edit.values = command.values;
  waitSeconds = command.waitSeconds;
  return makeEdits({edit}, command.dryRun, kRefusedStatus);
}

int runPreset(const Command& command) {
  VehicleEdit edit;
  edit.vehicle = command.vehicle;
  edit.presetMode = command.presetMode;
  waitSeconds = command.waitSeconds;
  return makeEdits({edit}, command.dryRun, kRefusedStatus);
}
