#include "flow/startup.h"

#include <cstdlib>
#include <iostream>
#include <string>

#include "flow/console.h"
#include "flow/state.h"
#include "platform/platform.h"

namespace {

// Whether handling.cfg is a link that leads to the file named temp.cfg: making temp.cfg anew
// would take that file's name, and with it handling.cfg's bytes, away.
bool handlingLeadsToTempFile() {
  platform::FileStamp handlingFile;
  platform::FileStamp tempFile;
  std::string ignored;
  return platform::linksOf(kHandlingFileName).symbolic &&
         platform::stampOf(kHandlingFileName, &handlingFile, &ignored) &&
         platform::stampOf(kTempFileName, &tempFile, &ignored) &&
         tempFile.isSameFileAs(handlingFile);
}

// Ends the run before it has touched anything.
[[noreturn]] void refuseToStart(const std::string& why) {
  reportNotChanged(why);
  std::exit(exitStatus);
}

}  // namespace

void startUp() {
  // Before any file is opened: a closed standard stream must not become handling.cfg.
  platform::prepareStandardStreams();
  // A request to stop waits until the handler knows which temp.cfg is this run's.
  platform::holdStopRequests();
  const std::string handlingName = kHandlingFileName;
  const bool intoOutput = platform::streamGoesTo(platform::Stream::output, kHandlingFileName);
  const bool intoError = platform::streamGoesTo(platform::Stream::error, kHandlingFileName);
  if (intoOutput || intoError) {
    // Said only where it does not land in handling.cfg.
    if (!(intoOutput && intoError)) {
      reportNotChanged("standard output or standard error goes into " + handlingName,
                       intoError ? std::cout : std::cerr);
    }
    std::exit(1);
  }
  if (handlingLeadsToTempFile()) {
    refuseToStart(handlingName + " is a link that leads to " + kTempFileName +
                  ", the name the editor writes its new file under");
  }
  std::FILE* temp = nullptr;
  switch (platform::createLocked(kTempFileName, &temp, &tempLock, &tempOutError)) {
    case platform::CreateResult::inUse:
      // Its temp.cfg is that editor's work in progress: this run touches nothing.
      refuseToStart("another vehicle-editor is editing " + handlingName + " in this folder");
    case platform::CreateResult::openElsewhere:
      refuseToStart(std::string(kTempFileName) + " is open in another program, so the editor " +
                    "cannot make it anew; close that program or move " + kTempFileName + " away");
    case platform::CreateResult::created:
      tempOut.attach(temp);
      break;
    case platform::CreateResult::failed:
      break;
  }
  abandonOnStopRequest();
  // Only now: an editor that was finishing has put its file in place by the time this run holds
  // the lock, and this run reads that file.
  std::FILE* handling = platform::openForReading(kHandlingFileName);
  handlingIn.attach(handling);
  platform::clearAttributes(kHandlingFileName);
  // After the change above, which is itself a change of the file.
  if (handling) platform::stampOf(handling, &handlingStamp);
}
