#include <iostream>

#include "flow/command_line.h"
#include "flow/dispatcher.h"
#include "flow/own_window.h"
#include "flow/startup.h"
#include "flow/state.h"

int main(int argc, char** argv) {
  keepOwnWindowOpen();
  if (answerCommandLine(argc, argv)) return 0;
  startUp();
  if (!handlingIn.isOpen()) {
    std::cout << "Couldn't open the file " << kHandlingFileName << ".\n";
    return 1;
  }
  dispatch();
  return exitStatus;
}
