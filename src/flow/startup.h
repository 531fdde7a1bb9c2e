#pragma once

// Opens handling.cfg for reading, creates temp.cfg empty and locked for the run (a symbolic link
// of that name is removed, never followed), makes handling.cfg writable so that it can be
// replaced later and notes its stamp. Ends the run at once, touching nothing, when another
// editor holds temp.cfg.
void startUp();
