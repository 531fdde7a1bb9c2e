#include "flow/replace_file.h"

#include <iostream>
#include <string>

#include "flow/console.h"
#include "flow/state.h"
#include "platform/platform.h"

namespace {

void reportDeletionFailure(const std::string& reason) {
  std::cout.flush();
  std::cerr << "\nError deleting config.cfg: " << reason << '\n';
  std::cout << '\n';
}

// The edited file stays in temp.cfg, in full, for the user to put in place by hand.
void reportEditKept(const std::string& why) {
  exitStatus = 1;
  std::cout.flush();
  std::cerr << "vehicle-editor: " << why << "; the edited file was kept as " << kTempFileName
            << ".\n";
}

}  // namespace

void discardTempFile() {
  if (!tempOut.isOpen()) return;
  tempOut.abandon();
  platform::removeFile(kTempFileName);
}

void closeFiles() {
  handlingIn.close();
  if (!tempOut.isOpen()) {
    reportNotChanged("could not create " + std::string(kTempFileName) + ": " + tempOutError);
    return;
  }
  std::string error;
  if (tempOut.finish(&error)) {
    tempComplete = 1;
    return;
  }
  platform::removeFile(kTempFileName);
  reportNotChanged("could not write " + std::string(kTempFileName) + ": " + error);
}

void replaceHandlingFile() {
  if (tempComplete == 0) return;
  // handling.cfg may have been deleted by hand while the user was editing; the edited file
  // then takes its place all the same.
  std::string missingReason;
  platform::FileStamp now;
  const bool handlingExists = platform::stampOf(kHandlingFileName, &now, &missingReason);
  // Another program may have written its own handling.cfg meanwhile (a mod manager, a second
  // editor): replacing it would lose that program's file.
  if (handlingExists && now != handlingStamp) {
    reportEditKept("another program changed " + std::string(kHandlingFileName) +
                   " during the editing, so it was not replaced");
    return;
  }
  if (handlingExists) platform::copyPermissions(kHandlingFileName, kTempFileName);
  std::string error;
  const bool replaced = platform::replaceFile(kTempFileName, kHandlingFileName, &error);
  if (!handlingExists) {
    reportDeletionFailure(missingReason);
  } else if (replaced) {
    std::cout << "\nEverything sucessfully done\n" << '\n';
  } else {
    reportDeletionFailure(error);
  }
  if (!replaced) reportEditKept(std::string(kHandlingFileName) + " was not changed: " + error);
}
