#pragma once

#include <string>

#include "platform/platform.h"

// The names an edit that could not replace handling.cfg is kept under, tried in this order:
// keptEditName(1) is "handling.cfg.new", keptEditName(2) "handling.cfg.new.2", and so on up to
// kKeptNames. No start-up empties those, and no run overwrites one.
inline constexpr int kKeptNames = 999;
std::string keptEditName(int number);

// Gives the file named temp.cfg (held by `handle`, or kNoHandle) the first free name of
// handling.cfg + `ending`, .2, .3, ...: no start-up empties those, and an earlier kept file is
// never overwritten. True with that name in `kept`; false with the reason in `error`.
bool keepTempFileAs(platform::Handle handle, const char* ending, std::string* kept,
                    std::string* error);

// Closes handling.cfg, and finishes temp.cfg: flushed, on disk, closed and read back. When
// temp.cfg could not be created or written in full, or does not hold exactly the bytes this run
// wrote, removes it and reports that handling.cfg was not changed.
void closeFiles();

// Puts the finished temp.cfg in the place of handling.cfg in one atomic step, keeping the owner
// and permission bits, and reports the outcome; says so when that breaks a link. Does nothing
// unless closeFiles finished temp.cfg, and never puts in place a temp.cfg that another program
// replaced or wrote to. Where the file system can, swaps the two names in one step and checks
// both before the old file goes, swapping them back only while handling.cfg still leads to the
// unchanged edit; what another program did to handling.cfg after the swap stays, and the old
// file is then kept as handling.cfg.old (or .old.2, ...). When
// another program changed handling.cfg since start-up, or it cannot be replaced, keeps the edit
// as handling.cfg.new (or .new.2, .new.3, ... when that name is taken).
void replaceHandlingFile();

// Lets go of the file this run wrote, once replaceHandlingFile has given it its final name, so
// that the game and other programs may open it while the editor still waits for Enter.
void releaseTempFile();
