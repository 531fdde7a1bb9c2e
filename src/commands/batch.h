// apply: the edits of many vehicles, read from a file or standard input, written in one
// replacement of handling.cfg, all or nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "commands/vehicle_edits.h"

struct Command;

// apply [--force] [--dry-run] [FILE]: reads lines "NAME CODE=VALUE..." or
// "NAME preset supercar|superbike|rhino" from FILE (standard input when none is given, or "-"),
// checks every one against handling.cfg as set and preset do, then writes them all at once.
int runApply(const Command& command);

// Reads the lines of an apply's input, `text`, named `source` in reports, into `edits`: blank
// lines and lines whose first word begins with "#" are passed over; `force` keeps a decimal
// comma. Returns "SOURCE:LINE: why" for the first line refused; empty on success.
std::string parseEditLines(std::string_view text, const std::string& source, bool force,
                           std::vector<VehicleEdit>* edits);
