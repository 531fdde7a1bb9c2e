#include "editing/value_editor.h"

#include <iostream>
#include <string>

#include "editing/field_table.h"
#include "editing/presets.h"
#include "flow/console.h"
#include "flow/note.h"
#include "flow/state.h"

void editRecord() {
  if (mode == modeSuperCar || mode == modeSuperBike || mode == modeRhino) {
    applyPreset();
  } else {
    editOneValue();
  }
  // The design writes the record as it is; the note says which value the game will read in
  // another column, while the run can still be abandoned with nothing changed.
  const std::string shift = columnsThatWouldShift(record);
  if (!shift.empty()) writeNote(shift + "; it is written all the same");
}

void editOneValue() {
  std::cout << "\nFor an example: The letter R changes the value \"fBrakeDeceleration\"\n"
               "and the word ab changes the value \"suspension lower limit\".";
  std::cout << "\nWhich value do you want to change?\n";
  std::size_t index = 0;
  while (index == 0) {
    std::cout << "Value: ";
    index = fieldIndexForCode(readWord());
  }
  std::cout << "\nYou're now changing the value of \"" << fieldTable[index].displayName << "\".";
  std::cout << "\nThe current value is \"" << record[index] << "\".";
  std::cout << "\nWhat should it be? ";
  record[index] = readWord();
  // The design stores any word; the note says what the game will stumble on.
  if (!fitsKind(fieldTable[index].kind, record[index]))
    writeNote(misfitText(index, quotedValue(record[index])) + "; it is stored as typed");
  finished = 1;
}
