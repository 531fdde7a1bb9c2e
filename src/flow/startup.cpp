#include "flow/startup.h"

#include <cstdlib>
#include <string>

#include "flow/console.h"
#include "flow/state.h"
#include "platform/platform.h"

void startUp() {
  // Before any file is opened: a closed standard stream must not become handling.cfg.
  platform::prepareStandardStreams();
  // A request to stop waits until the handler knows which temp.cfg is this run's.
  platform::holdStopRequests();
  std::FILE* handling = platform::openForReading(kHandlingFileName);
  handlingIn.attach(handling);
  std::FILE* temp = nullptr;
  switch (platform::createLocked(kTempFileName, &temp, &tempLock, &tempOutError)) {
    case platform::CreateResult::inUse:
      // Its temp.cfg is that editor's work in progress: this run touches nothing.
      reportNotChanged("another vehicle-editor is editing " + std::string(kHandlingFileName) +
                       " in this folder");
      std::exit(exitStatus);
    case platform::CreateResult::created:
      tempOut.attach(temp);
      break;
    case platform::CreateResult::failed:
      break;
  }
  abandonOnStopRequest();
  platform::clearAttributes(kHandlingFileName);
  // After the change above, which is itself a change of the file.
  if (handling) platform::stampOf(handling, &handlingStamp);
}
