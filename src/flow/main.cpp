#include <iostream>

#include "flow/dispatcher.h"
#include "flow/startup.h"
#include "flow/state.h"

int main() {
  startUp();
  if (!handlingIn.isOpen()) {
    std::cout << "Couldn't open the file " << kHandlingFileName << ".\n";
    return 1;
  }
  dispatch();
  return exitStatus;
}
