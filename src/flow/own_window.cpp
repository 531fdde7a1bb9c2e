#include "flow/own_window.h"

#include <cstdlib>
#include <iostream>

namespace {

// Runs when the process exits, before the standard streams are closed.
void askForEnter() {
  // The run is over: Ctrl-C or closing the window has nothing left to stop and just closes it.
  platform::endOnStopRequest();
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
