#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "handling/line_reader.h"

// The first word of `line`: the run of text after any leading separators; empty when the line
// holds separators only.
std::string_view firstWord(std::string_view line);

// Whether the commands count `line` as a vehicle line: it has a first word, and that word does not
// begin with ';', '$', '&' or '!', so that a comment indented by blanks is no vehicle line either.
bool isVehicleLine(std::string_view line);

// The other vehicle lines whose first word is the name of the line taken.
struct SameNameLines {
  static constexpr std::size_t kListed = 3;
  std::size_t count = 0;
  std::vector<std::size_t> first;  // the numbers of the first kListed of them, from 0
  void add(std::size_t number);
};

// Reads the lines of `in` from where it stands, numbering them from `number`, up to line `stop`
// or the end of the file, and adds to `same` each vehicle line whose first word is `name`. False
// when reading failed.
bool addSameNameLines(LineReader& in, std::string_view name, std::size_t number, std::size_t stop,
                      SameNameLines* same);

// What the editor says when the name `name` of line `taken` (from 0) begins other lines too: which
// line it took. Empty when no other line begins with it.
std::string sameNameNote(std::string_view name, std::size_t taken, const SameNameLines& same);

// Scans `in` from its first line for the first vehicle line whose first word
// is exactly `name`, case-sensitive. On success stores that line and its number (every line of
// the file counts, from 0) and returns true; returns false when no line has that first word or
// reading failed (then in.failed() is true).
bool findVehicleLineByFirstWord(LineReader& in, std::string_view name, std::string* line,
                                std::size_t* lineNumber);

// Calls `visit` with the first word of every vehicle line of `in`,
// from the first line on. False when reading failed (then in.failed() is true).
bool forEachVehicleName(LineReader& in, const std::function<void(std::string_view)>& visit);
