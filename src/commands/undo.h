// undo: puts handling.cfg.bak, the file the last replacement kept, back in handling.cfg's place,
// and keeps the file it replaces as the new handling.cfg.bak, so that a second undo redoes.
#pragma once

#include <string>
#include <string_view>

// What putting `restored` (the backup's bytes) in place of `current` (handling.cfg's) changes:
// for each vehicle line, each value it changes back, as set prints it ("NAME: name old -> new");
// lines that differ in any other way by number; vehicles that only one file has; the line ends.
// A line that says so when both are the same.
std::string describeUndo(std::string_view current, std::string_view restored);

// Before start-up, for `undo` (`dryRun`: `undo --dry-run`). Returns true with the exit status in
// `status` when the run ends here: a dry run, which prints what undo would change and touches
// nothing, or a folder without a backup to put back. Otherwise returns false, and after startUp
// runUndo does the rest.
bool prepareUndo(bool dryRun, int* status);

// After startUp (which holds temp.cfg, the lock that keeps a second editor out): prints what
// putting handling.cfg.bak back changes, then swaps the two files, each whole at every moment,
// unless another program changed either of them since they were read.
void runUndo();

// The undo command: prepareUndo, then start-up and runUndo. `confirm`: handling.cfg.bak was
// dropped on the program, and a typed "yes" must come before anything changes. Returns the exit
// status.
int runUndoCommand(bool dryRun, bool confirm);
