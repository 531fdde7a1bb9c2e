#include "flow/own_window.h"

#include <cstdlib>
#include <iostream>

namespace {

// Runs when the process exits, before the standard streams are closed.
void askForEnter() {
  // The run is over: a request to stop has nothing left to stop, and the texts of its report,
  // made during the run, are destroyed by now. One that comes waits until the process ends.
  platform::holdStopRequests();
  std::cout << "\nPress Enter to close this window." << std::flush;
  platform::waitForEnter();
}

}  // namespace

bool waitBeforeClosing(const platform::ConsoleFacts& facts) {
  return facts.processCount == 1 && facts.inputIsConsole && facts.outputIsConsole;
}

void keepOwnWindowOpen() {
  if (waitBeforeClosing(platform::consoleFacts())) std::atexit(askForEnter);
}
