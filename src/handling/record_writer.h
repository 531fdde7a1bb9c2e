#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "handling/line_reader.h"
#include "handling/output_file.h"

// What the lookup read: the chosen line, its place and the whole file it stood in.
struct FoundLine {
  std::size_t number;          // counted from 0, every line of the file
  std::string_view text;       // without its line end
  std::uint64_t fileChecksum;  // of every byte of the file, as Checksum gives it
};

// Copies every line of `in`, from its first, to `out`, writing `replacement` in place of line
// number `found.number`. A read error, a file that no longer has that line, or a file that is
// not byte for byte the one the lookup read (another text on that line, other bytes anywhere)
// marks `out` incomplete so that it is never put in the handling file's place. A byte-order
// mark at the start of `in` is written back before the first line.
void copyReplacingLine(LineReader& in, OutputFile& out, const FoundLine& found,
                       std::string_view replacement);

// One line to put in place of another: the line's number (from 0), its text as the lookup read
// it, and the text written instead; both texts are the caller's.
struct LineReplacement {
  std::size_t number;
  std::string_view text;
  std::string_view replacement;
};

// As copyReplacingLine, for any number of lines, given in increasing order of their numbers;
// `fileChecksum` is of every byte of the file the lookups read.
void copyReplacingLines(LineReader& in, OutputFile& out, const std::vector<LineReplacement>& lines,
                        std::uint64_t fileChecksum);

// Writes all of temp.cfg: handling.cfg line by line with `lines` in place, checked against
// handlingChecksum and the file start-up found, as writeEditedFile does. temp.cfg must be open.
void writeEditedLines(const std::vector<LineReplacement>& lines);

// Once the lookup has read handling.cfg: lets other programs save it while the user edits (see
// platform::letOthersSave). Where handlingIn then reads a copy, what another program did to the
// file until now is judged here, as writeEditedFile would have judged it.
void letOthersSaveHandlingFile();

// Writes all of temp.cfg: handling.cfg line by line, with the record line, followed by whatever
// the chosen vehicle's line held after its 33rd field, in place of that line. Says "Couldn't
// open the temporary file." when temp.cfg is not open.
void writeEditedFile();
