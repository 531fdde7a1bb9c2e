#pragma once

// Closes and removes temp.cfg when this run created it; a file of that name that this run could
// not create (a folder, say) is left alone.
void discardTempFile();

// Closes handling.cfg, and finishes temp.cfg: flushed, on disk and closed. When temp.cfg could
// not be created or written in full, removes it and reports that handling.cfg was not changed.
void closeFiles();

// Puts the finished temp.cfg in the place of handling.cfg in one atomic step, keeping the
// permission bits, and reports the outcome. Does nothing unless closeFiles finished temp.cfg;
// keeps the edit in temp.cfg when another program changed handling.cfg since start-up.
void replaceHandlingFile();
