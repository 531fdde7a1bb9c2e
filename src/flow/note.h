// Notes on standard error about what a run took or stored, for what the designed screens do not
// say; standard output keeps exactly the designed screens.
#pragma once

#include <string>

// Writes "vehicle-editor: note: ", `text` and a full stop on standard error, as reportLines
// shows a report there, after what standard output holds so far; adds nothing to standard output.
void writeNote(const std::string& text);
