#include "flow/dispatcher.h"

#include <iostream>
#include <string>

#include "editing/value_editor.h"
#include "flow/after_edit_menu.h"
#include "flow/console.h"
#include "flow/menus.h"
#include "flow/replace_file.h"
#include "flow/run_end.h"
#include "flow/state.h"
#include "handling/line_split.h"
#include "handling/record_writer.h"
#include "handling/vehicle_lookup.h"

namespace {

void leaveWithoutEditing() {
  discardTempFile();
  std::cout << '\n';
  finished = 1;
}

void runPipeline() {
  lookUpVehicle();
  splitLine();
  if (mode == modeManual) {
    // afterEditMenu runs the further edits itself and clears editAnother when it returns.
    while (editAnother == 1) {
      editRecord();
      afterEditMenu();
    }
  } else {
    editRecord();
    afterEditMenu();
  }
  writeAndReplace();
}

}  // namespace

void writeAndReplace() {
  writeEditedFile();
  closeFiles();
  replaceHandlingFile();
  releaseTempFile();
  finished = 1;
}

void dispatch() {
  for (;;) {
    showMenu();
    const std::string choice = askChoice(kMainChoices);
    if (choice == "5") {
      showCredits();
      continue;
    }
    if (choice == "0") {
      leaveWithoutEditing();
      return;
    }
    if (choice != "1") mode = choice[0] - '0';
    runPipeline();
    return;
  }
}
