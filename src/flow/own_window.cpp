#include "flow/own_window.h"

#include <cstdlib>
#include <iostream>

namespace {

constexpr const char* kCloseWindowPrompt = "\nPress Enter to close this window.";

// Runs when the process exits, before the standard streams are closed.
void askForEnter() {
  // The run is over: Ctrl-C or closing the window has nothing left to stop and just closes it.
  platform::endOnStopRequest();
  std::cout.flush();
  platform::waitForEnter(kCloseWindowPrompt);
}

}  // namespace

bool waitBeforeClosing(const platform::ConsoleFacts& facts) {
  return facts.processCount == 1 && facts.inputIsConsole && facts.outputIsConsole;
}

void keepOwnWindowOpen() {
  if (!waitBeforeClosing(platform::consoleFacts())) return;
  std::atexit(askForEnter);
  // A run stopped by Ctrl-C or Ctrl-Break waits the same way, and still ends with its status.
  platform::askForEnterOnStop(kCloseWindowPrompt);
}
