#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "handling/line_reader.h"

// Finds one name in any number of lines, in time linear in the length of each line and of the
// name, however much of the name a line repeats (Knuth, Morris and Pratt's search): a plain
// search would compare up to the whole name at every byte.
class NameSearch {
 public:
  explicit NameSearch(std::string_view name);
  bool foundIn(std::string_view line) const;

 private:
  std::string_view name_;
  // For each length of a matched start of the name, the length of its longest proper start
  // that is also its end: where the match goes on from after a mismatch.
  std::vector<std::size_t> fallback_;
};

// A line whose very first byte is ';', '$', '&' or '!'; the lookup never takes one.
bool isMarkerLine(std::string_view line);

// Scans `in` from its first line for the first line that is no marker line and contains
// `name` anywhere, case-sensitive. On success stores that line and its number (every line of the
// file counts, from 0) and returns true; returns false when no line matches or reading failed
// (then in.failed() is true).
bool findVehicleLine(LineReader& in, std::string_view name, std::string* line,
                     std::size_t* lineNumber);

// Once the vehicle's line has been found in handlingIn, as currentLine on line currentLineNumber:
// reads on to the end of the file and keeps the checksum of all of it in handlingChecksum, which
// the copy is checked against; says which line is taken when the line's first word begins later
// lines too (and, with `earlierToo`, earlier ones). False when reading failed.
bool keepLookedUpFile(bool earlierToo = false);

// What the editor says when the word `typed` took line `number` (from 0), `line`, without being
// its first word: the line taken and its first word. Empty when `typed` is the first word.
std::string foundInsideNote(std::string_view typed, std::size_t number, std::string_view line);

// Asks for a vehicle with the texts of `mode` until a line of handling.cfg holds the typed word;
// leaves the line in currentLine, its place in currentLineNumber, the word in vehicleName.
void lookUpVehicle();
