#pragma once

// After manual editing offers another value of the same vehicle until "0. Cancel to menu";
// then, and straight after a preset, the final menu (credits or exit). Returns once the final
// menu has been answered, with `mode` set to modeDone.
void afterEditMenu();

// Writes the credits; the caller shows its menu again, without the banner.
void showCredits();
