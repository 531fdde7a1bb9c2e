#pragma once

// Opens handling.cfg for reading and notes its stamp, creates temp.cfg empty (a symbolic link of
// that name is removed, never followed) and makes handling.cfg writable so that it can be replaced
// later.
void startUp();
