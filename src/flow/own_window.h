// A console window that the editor has to itself: started from Explorer, the editor gets a new
// console window that closes when the run ends, and would take the last message with it.
#pragma once

#include "platform/platform.h"

// Whether the run ends by asking for Enter and waiting for it: only when the system opened the
// console for the editor alone and both standard input and standard output are that console.
// Never in a console that was open before, never with redirected input or output.
bool waitBeforeClosing(const platform::ConsoleFacts& facts);

// Call once, first thing. When waitBeforeClosing holds for this process, every end of the run,
// however it comes (a normal end, an abandoned run, a file that could not be opened, Ctrl-C or
// Ctrl-Break), finishes after all other output with a line that asks for Enter, and waits for it.
void keepOwnWindowOpen();
