// vehicle-editor check: the problems of handling.cfg that the game, the menus or the commands may
// stumble on, one line each, in the form compilers use so that editors can jump there.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "handling/line_reader.h"

// Reads `in` from its first line and calls `report` with the number (from 1) and the description
// of each problem, in file order: a line ended by a CR alone; a line indented before ';', '$',
// '&' or '!'; a vehicle line with fewer than 33 columns; a value that does not fit its column; a
// name that begins an earlier vehicle line. False when reading failed.
bool checkLines(LineReader& in,
                const std::function<void(std::size_t line, const std::string& what)>& report);

// Runs the command with the words after "check": reads handling.cfg without creating, locking or
// changing anything, prints "handling.cfg:LINE: what" for each problem and returns the exit
// status: 0 for none, 1 for some (or a file it could not read), 2 for a usage error.
int runCheck(const std::vector<std::string_view>& words);
