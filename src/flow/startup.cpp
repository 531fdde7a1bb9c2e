#include "flow/startup.h"

#include "flow/state.h"
#include "platform/platform.h"

void startUp() {
  std::FILE* handling = platform::openForReading(kHandlingFileName);
  if (handling) platform::stampOf(handling, &handlingStamp);
  handlingIn.attach(handling);
  tempOut.attach(platform::createForWriting(kTempFileName, &tempOutError));
  platform::clearAttributes(kHandlingFileName);
}
