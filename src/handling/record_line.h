#pragma once

#include <string>

#include "handling/handling_record.h"

// The line that stands for `fields` in the written file, without its line end: the 33 texts as
// they are, each followed by its fixed run of spaces (9 after the identifier, 2 after field 9,
// 28 after field 29, 16 after field 30, 1 elsewhere), none after the last.
std::string buildRecordLine(const HandlingRecord& fields);
