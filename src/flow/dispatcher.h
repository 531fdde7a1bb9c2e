#pragma once

// Shows the banner and the main menu, and runs what the user chooses: the credits (then the
// main menu again), leaving, or one editing pipeline from the vehicle prompt to the replaced
// handling file.
void dispatch();

// The end of every edit, once `record` holds it: writes temp.cfg, closes both files and puts
// temp.cfg in the place of handling.cfg, with the messages of each step.
void writeAndReplace();
