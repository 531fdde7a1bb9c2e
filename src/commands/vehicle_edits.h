// The edits of set, preset and apply: every one checked against handling.cfg first, then all
// written in one replacement of the file, or none.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "handling/handling_record.h"

// One vehicle's edit, as set, preset or a line of apply asks for it.
struct VehicleEdit {
  std::string vehicle;                                      // the first word of the vehicle's line
  std::vector<std::pair<std::size_t, std::string>> values;  // field index and new text
  int presetMode = 0;  // the preset's mode; 0 (modeManual) gives `values` instead
  std::string where;   // put before a report about this edit ("FILE:LINE: "); may be empty
};

// A vehicle line as the edits leave it.
struct EditedLine {
  std::size_t number;     // of the line in the file, from 0
  std::string text;       // as read, without its line end
  HandlingRecord fields;  // as edited
};

// What the edits do to a file.
struct EditPlan {
  std::vector<EditedLine> lines;  // in file order, one for each vehicle edited
  std::string listing;            // the change lines, in the order of the edits
  bool changes = false;           // whether any value's text changes
  // Where a name edited begins more than one vehicle line: which of them is taken.
  std::vector<std::string> notes;
};

// Works the edits out, in order, on the lines of handlingIn (open), and keeps the checksum of all
// of it in handlingChecksum. Returns why not, with the edit's `where` before it: a vehicle the
// file lacks, a value that would land in another column, a failed read; empty on success.
std::string planEdits(const std::vector<VehicleEdit>& edits, EditPlan* plan);

// The one line said instead of change lines when no value changes.
std::string nothingChangedLine();

// `listing` with each line marked as a dry run's.
std::string asDryRun(const std::string& listing);

// Makes the edits: checks them all against handling.cfg, then writes them in one replacement,
// as the menus write an edit, and prints the change lines once the file is in place. With
// `dryRun`, or when no value would change, prints and writes nothing. An edit the file refuses
// is reported with `refusedStatus`. Returns the exit status.
int makeEdits(const std::vector<VehicleEdit>& edits, bool dryRun, int refusedStatus);
