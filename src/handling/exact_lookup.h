#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "handling/line_reader.h"

// The first word of `line`: the run of text after any leading separators; empty when the line
// holds separators only.
std::string_view firstWord(std::string_view line);

// Scans `in` from its first line for the first line that is no marker line and whose first word
// is exactly `name`, case-sensitive. On success stores that line and its number (every line of
// the file counts, from 0) and returns true; returns false when no line has that first word or
// reading failed (then in.failed() is true).
bool findVehicleLineByFirstWord(LineReader& in, std::string_view name, std::string* line,
                                std::size_t* lineNumber);

// Calls `visit` with the first word of every line of `in` that is no marker line and has one,
// from the first line on. False when reading failed (then in.failed() is true).
bool forEachVehicleName(LineReader& in, const std::function<void(std::string_view)>& visit);
