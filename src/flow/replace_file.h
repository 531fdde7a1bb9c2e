#pragma once

// Closes handling.cfg, and finishes temp.cfg: flushed, on disk and closed. When temp.cfg could
// not be created or written in full, removes it and reports that handling.cfg was not changed.
void closeFiles();

// Puts the finished temp.cfg in the place of handling.cfg in one atomic step, keeping the owner
// and permission bits, and reports the outcome; says so when that breaks a link. Does nothing
// unless closeFiles finished temp.cfg, and never puts in place a temp.cfg that another program
// replaced. When another program changed handling.cfg since start-up, or it cannot be replaced,
// keeps the edit as handling.cfg.new (or .new.2, .new.3, ... when that name is taken).
void replaceHandlingFile();
