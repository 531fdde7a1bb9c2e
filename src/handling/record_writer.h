#pragma once

#include <cstddef>
#include <string_view>

#include "handling/line_reader.h"
#include "handling/output_file.h"

// Copies every line of `in`, from its first, to `out`, writing `replacement` in place of line
// number `lineNumber` (counted from 0); a byte-order mark at the start of `in` is written back
// before the first line. A read error, or a file that no longer has that line,
// marks `out` incomplete so that it is never put in the handling file's place.
void copyReplacingLine(LineReader& in, OutputFile& out, std::size_t lineNumber,
                       std::string_view replacement);

// Writes all of temp.cfg: handling.cfg line by line, with the record line, followed by whatever
// the chosen vehicle's line held after its 33rd field, in place of that line. Says "Couldn't
// open the temporary file." when temp.cfg is not open.
void writeEditedFile();
