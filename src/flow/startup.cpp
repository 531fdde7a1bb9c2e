#include "flow/startup.h"

#include "flow/state.h"
#include "platform/platform.h"

void startUp() {
  handlingIn.attach(platform::openForReading(kHandlingFileName));
  tempOut.attach(platform::createForWriting(kTempFileName, &tempOutError));
  platform::clearAttributes(kHandlingFileName);
}
