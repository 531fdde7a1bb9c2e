// The commands that edit one vehicle: set and preset, written as the menus write an edit.
#pragma once

struct Command;

// set [--force] [--dry-run] NAME CODE=VALUE...
int runSet(const Command& command);

// preset [--dry-run] supercar|superbike|rhino NAME
int runPreset(const Command& command);
