#include "flow/note.h"

#include <iostream>

#include "flow/run_end.h"

void writeNote(const std::string& text) {
  std::cout.flush();
  std::cerr << breakAtBlanks("vehicle-editor: note: " + text + ".\n") << std::flush;
}
