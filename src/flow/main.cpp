#include <new>

#include "flow/command_line.h"
#include "flow/commands.h"
#include "flow/own_window.h"
#include "flow/run_end.h"
#include "flow/startup.h"
#include "flow/state.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  platform::useUtf8Arguments(&argc, &argv);
  keepOwnWindowOpen();
  if (answerCommandLine(argc, argv)) return 0;
  int status = 0;
  if (runCommandLine(argc, argv, &status)) return status;
  // Memory runs out for a line of handling.cfg of hundreds of megabytes, or under a limit
  // barely above what loading the program takes: the editor's one failure that the standard
  // library reports by an exception.
  try {
    startUp();
    if (!handlingIn.isOpen()) {
      reportMissingHandlingFile();
      return 1;
    }
  } catch (const std::bad_alloc&) {
    abandonForLackOfMemory(
        "vehicle-editor: there was not enough memory to start; handling.cfg was not changed.\n");
  }
  try {
    runEditing();
  } catch (const std::bad_alloc&) {
    abandonForLackOfMemory(
        "vehicle-editor: there was not enough memory to hold a line of handling.cfg;\n"
        "handling.cfg was not changed.\n");
  }
  return exitStatus;
}
