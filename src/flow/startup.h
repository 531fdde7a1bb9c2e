#pragma once

// Creates temp.cfg empty and locked for the run (whatever had that name loses it, and a link is
// never followed), opens handling.cfg for reading, makes it writable so that it can be replaced
// later and notes its stamp. Ends the run at once, touching nothing, when another editor is at
// work in the folder, when handling.cfg is a link to temp.cfg, or when the editor's own output
// goes into handling.cfg.
void startUp();
