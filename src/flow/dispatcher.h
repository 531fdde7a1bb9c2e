#pragma once

// Shows the banner and the main menu, and runs what the user chooses: the credits (then the
// main menu again), leaving, or one editing pipeline from the vehicle prompt to the replaced
// handling file.
void dispatch();
