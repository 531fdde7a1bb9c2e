#include "flow/after_edit_menu.h"

#include <iostream>

#include "editing/value_editor.h"
#include "flow/console.h"
#include "flow/menus.h"
#include "flow/state.h"

void afterEditMenu() {
  if (mode == modeManual) {
    for (;;) {
      std::cout << "\nEnter your choice, then press enter.\n"
                   "\n1. Edit another value at the same vehicle\n"
                   "0. Cancel to menu\n\n";
      if (askChoice(kTwoChoices) == "0") break;
      editRecord();
    }
    // "Cancel" keeps every change: the final menu follows and the file is written.
    mode = modeSuperCar;
    bannerShown = 1;
    editAnother = 0;
  }
  bannerShown = 1;
  showMenu();
  std::string answer = askChoice(kTwoChoices);
  while (answer == "1") {
    showCredits();
    showMenu();
    // After the credits this menu takes any main-menu answer; all but "1" end it.
    answer = askChoice(kMainChoices);
  }
  mode = modeDone;
  finished = 1;
}

void showCredits() {
  std::cout << "\nmarsk's Velmora Shores Vehicle Editor v.1.0\n\n"
               "Programmed by Orvid \"marsk\" K.\n"
               "Coding support: \"Kvarnsten\".\n"
               "Betatesters: \"Tofsa\" and Arne B. S.\n";
  bannerShown = 1;
  finished = 0;
}
