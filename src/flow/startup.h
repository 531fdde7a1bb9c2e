#pragma once

#include <string>

// Opens handling.cfg for reading and, only when it can, creates temp.cfg empty and locked for
// the run (whatever had that name loses it, and a link is never followed), opens handling.cfg
// again once the lock is held, makes it writable so that it can be replaced later and notes its
// stamp. Says before the banner when temp.cfg cannot be created. Ends the run at once, touching
// nothing, when another editor is at work in the folder, when handling.cfg is a link to
// temp.cfg, when the editor's own output goes into handling.cfg, or when handling.cfg is saved
// as UTF-16. Leaves handlingIn closed, and no temp.cfg of its own, when handling.cfg cannot be
// opened.
void startUp();

// Says that handling.cfg could not be opened, in which folder the editor looked for it, and
// why; where to start it instead only when there is no handling.cfg there.
void reportMissingHandlingFile();

// Says that handling.cfg is saved as UTF-16 and how to save it readably, and ends the run with
// exit status 1; the caller has touched nothing or undone what it did.
[[noreturn]] void refuseUtf16File();

// Why handling.cfg, which is there, could not be opened for reading (the system's reason, "it
// is not a file", "another program holds it open"); empty when there is none, or none that can
// be told from a missing one.
std::string whyHandlingFileUnreadable();
