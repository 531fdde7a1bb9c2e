#include "flow/replace_file.h"

#include <iostream>
#include <string>

#include "flow/run_end.h"
#include "flow/state.h"
#include "platform/platform.h"

namespace {

// The names an edit that could not replace handling.cfg is kept under, tried in this order.
constexpr int kKeptNames = 999;

// "handling.cfg.new" for 1, "handling.cfg.new.2" for 2, and so on.
std::string keptEditName(int number) {
  std::string name = std::string(kHandlingFileName) + ".new";
  if (number > 1) name += "." + std::to_string(number);
  return name;
}

void reportDeletionFailure(const std::string& reason) {
  std::cout.flush();
  std::cerr << "\nError deleting config.cfg: " << reason << '\n';
  std::cout << '\n';
}

// Puts the edited file under the first free name of handling.cfg.new, handling.cfg.new.2, ...:
// no start-up empties those, and an earlier kept edit is never overwritten.
void keepEdit(const std::string& why) {
  exitStatus = 1;
  std::string error;
  for (int number = 1; number <= kKeptNames; ++number) {
    const std::string name = keptEditName(number);
    bool exists = false;
    if (platform::renameFile(tempLock, kTempFileName, name.c_str(), false, &exists, &error)) {
      reportNote(why + "; the edited file was kept as " + name);
      return;
    }
    if (!exists) break;
    if (number == kKeptNames) error = "every name up to " + name + " is taken";
  }
  reportNote(why + "; the edited file is in " + kTempFileName + ", which could not be renamed (" +
             error + "): move it elsewhere before the editor runs again");
}

// Says which other names of handling.cfg still lead to the old file after the replacement.
void reportBrokenLinks(const platform::Links& links) {
  const std::string name = kHandlingFileName;
  if (links.symbolic) {
    const std::string target = links.target.empty() ? "the file it led to" : links.target;
    reportNote(name + " was a symbolic link to " + target + "; it is now a file of its own, and " +
               target + " keeps the old file");
  } else if (links.hard) {
    reportNote(name + " had other names (hard links); it is now a file of its own, and the " +
               "other names keep the old file");
  }
}

}  // namespace

void closeFiles() {
  handlingIn.close();
  if (!tempOut.isOpen()) {
    reportNotChanged("could not create " + std::string(kTempFileName) + ": " + tempOutError);
    return;
  }
  const std::uint64_t size = tempOut.bytesWritten();
  std::string error;
  if (tempOut.finish(&error)) {
    // More bytes than this run wrote: another program wrote to it while the editor waited.
    platform::FileStamp written;
    if (platform::stampOf(tempLock, &written) && written.size == size) {
      tempComplete = 1;
      return;
    }
    error = "another program wrote to it during the editing";
  }
  discardTempFile();
  reportNotChanged("could not write " + std::string(kTempFileName) + ": " + error);
}

void replaceHandlingFile() {
  if (tempComplete == 0) return;
  // From here a request to stop waits: the run ends with the file in place or kept.
  platform::holdStopRequests();
  // Only the file this run wrote may ever take handling.cfg's place, or be kept.
  if (!platform::namesFile(kTempFileName, tempLock)) {
    reportNotChanged("another program replaced or removed " + std::string(kTempFileName) +
                     " during the editing, and the edit with it");
    return;
  }
  // handling.cfg may have been deleted by hand while the user was editing; the edited file
  // then takes its place all the same.
  std::string missingReason;
  platform::FileStamp now;
  const bool handlingExists = platform::stampOf(kHandlingFileName, &now, &missingReason);
  // Another program may have written its own handling.cfg meanwhile (a mod manager, a second
  // editor): replacing it would lose that program's file.
  if (handlingExists && now != handlingStamp) {
    keepEdit("another program changed " + std::string(kHandlingFileName) +
             " during the editing, so it was not replaced");
    return;
  }
  const platform::Links links = platform::linksOf(kHandlingFileName);
  if (handlingExists) platform::copyOwnerAndPermissions(kHandlingFileName, tempLock);
  std::string error;
  bool exists = false;
  const bool replaced =
      platform::renameFile(tempLock, kTempFileName, kHandlingFileName, true, &exists, &error);
  if (!handlingExists) {
    reportDeletionFailure(missingReason);
  } else if (replaced) {
    std::cout << "\nEverything sucessfully done\n" << '\n';
  } else {
    reportDeletionFailure(error);
  }
  if (!replaced) {
    keepEdit(std::string(kHandlingFileName) + " was not changed: " + error);
  } else if (handlingExists) {
    reportBrokenLinks(links);
  }
}
