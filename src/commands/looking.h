// The commands that only look: list, show. They never create, change or remove a file.
#pragma once

#include <cstddef>
#include <string>

#include "handling/handling_record.h"

struct Command;

// list: the first word of every vehicle line, in file order.
int runList(const Command& command);

// show NAME: the 32 values of the vehicle's line.
int runShow(const Command& command);

// get NAME CODE...: the values of those fields, one a line, an empty one as an empty line.
int runGet(const Command& command);

// The lines that show the 32 values of `fields`, which stand on line `lineNumber` (from 0).
std::string describeVehicle(const HandlingRecord& fields, std::size_t lineNumber);
