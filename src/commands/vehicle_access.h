// What the commands share: their reports, finding the named vehicle, and the lines that show a
// vehicle's values.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "editing/field_table.h"
#include "handling/handling_record.h"

// Writes "vehicle-editor: `what`." as a report.
void reportProblem(const std::string& what);

// Writes a usage error as a report pointing to --help; returns kUsageErrorStatus.
int reportUsageError(const std::string& what);

// "could not read handling.cfg: " and the reason handlingIn gives.
std::string readError();

// Why handling.cfg could not be opened: "could not open handling.cfg in FOLDER", then the
// system's reason, or where to start the editor when there is no handling.cfg.
std::string cannotOpenText();

// For the commands that only look: handling.cfg opened for reading alone; nothing is created and
// no permission is changed. Reports why not.
bool openToLook();

// Finds the line whose first word is vehicleName and leaves it as lookUpVehicle would
// (currentLine, currentLineNumber, finished), split into `record`. Returns why not: no such line
// (with the closest names the file has) or a failed read; empty on success.
std::string takeNamedVehicle();

// The status of a command once its output has been handed on: 1 when it could not be written
// (a full disk, a file size limit), else `status`.
int afterOutput(int status);

// A field's text as the commands show it: an empty field as "".
std::string shown(std::string_view text);

// The line that tells of one change: "NAME: <display name> <old> -> <new>", with " (unchanged)"
// after it when both texts are equal; an empty text shows as "".
std::string changeLine(std::string_view vehicle, std::size_t index, std::string_view oldText,
                       std::string_view newText);
