#include <iostream>
#include <new>

#include "flow/command_line.h"
#include "flow/commands.h"
#include "flow/console.h"
#include "flow/own_window.h"
#include "flow/startup.h"
#include "flow/state.h"

int main(int argc, char** argv) {
  keepOwnWindowOpen();
  if (answerCommandLine(argc, argv)) return 0;
  int status = 0;
  if (runCommandLine(argc, argv, &status)) return status;
  startUp();
  if (!handlingIn.isOpen()) {
    std::cout << "Couldn't open the file " << kHandlingFileName << ".\n";
    return 1;
  }
  // Memory runs out only for a line of handling.cfg of hundreds of megabytes, the editor's one
  // failure that the standard library reports by an exception.
  try {
    runEditing();
  } catch (const std::bad_alloc&) {
    abandonRun("there was not enough memory to hold a line of " + std::string(kHandlingFileName));
  }
  return exitStatus;
}
