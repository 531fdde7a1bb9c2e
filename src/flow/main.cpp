#include <new>

#include "commands/command_table.h"
#include "flow/command_line.h"
#include "flow/dispatcher.h"
#include "flow/own_window.h"
#include "flow/run_end.h"
#include "flow/startup.h"
#include "flow/state.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  // Memory runs out for a line of handling.cfg of hundreds of megabytes, for a command line of
  // as much, or under a limit barely above what loading the program takes: then the report says
  // what the memory was for (lackOfMemoryReport, kept up to date below).
  abandonWhenMemoryRunsOut();
  platform::useUtf8Arguments(&argc, &argv);
  keepOwnWindowOpen();
  if (answerCommandLine(argc, argv)) return 0;
  int status = 0;
  if (runCommandLine(argc, argv, &status)) return status;
  lackOfMemoryReport = kNoMemoryToStart;
  try {
    startUp();
    if (!handlingIn.isOpen()) {
      reportMissingHandlingFile();
      return 1;
    }
    lackOfMemoryReport = kNoMemoryForLine;
    dispatch();
  } catch (const std::bad_alloc&) {
    abandonForLackOfMemory(lackOfMemoryReport);
  }
  return exitStatus;
}
