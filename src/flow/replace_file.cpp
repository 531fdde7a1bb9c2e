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
// no start-up empties those, and an earlier kept edit is never overwritten. `heldOpen`: another
// program still has handling.cfg open, and the user is told what to do about it.
void keepEdit(const std::string& why, bool heldOpen = false) {
  exitStatus = 1;
  std::string error;
  for (int number = 1; number <= kKeptNames; ++number) {
    const std::string name = keptEditName(number);
    bool exists = false;
    if (platform::renameFile(tempLock, kTempFileName, name.c_str(), false, &exists, &error)) {
      reportNote(why + "; the edited file was kept as " + name);
      if (heldOpen) {
        reportNote("another program has " + std::string(kHandlingFileName) + " open");
        reportNote("close it, then put " + name + " in its place");
      }
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

std::string handlingChangedText() {
  return "another program changed " + std::string(kHandlingFileName) +
         " during the editing, so it was not replaced";
}

void reportTempFileLost() {
  reportNotChanged("another program replaced or removed " + std::string(kTempFileName) +
                   " during the editing, and the edit with it");
}

// How putting the edited file in place ended.
enum class Outcome {
  replaced,         // handling.cfg is the edited file
  notReplaced,      // the system refused; `error` says why, both names as they were
  tempReplaced,     // temp.cfg was another program's file; names as they were
  tempWritten,      // another program wrote to this run's temp.cfg; names as they were
  handlingChanged,  // handling.cfg was no longer the file start-up found; names as they were
  namesSwapped,     // one of the above, and the names could not be swapped back
};

// Whether the names, just swapped, lead where they should: handling.cfg to this run's file as
// closeFiles left it, temp.cfg to the very file start-up found, unchanged. Its change time is
// not asked: the exchange itself sets it.
Outcome checkExchanged() {
  platform::FileStamp mine;
  if (!platform::namesFile(kHandlingFileName, tempLock)) return Outcome::tempReplaced;
  if (!platform::stampOf(tempLock, &mine) || mine.size != tempStamp.size ||
      mine.modified != tempStamp.modified)
    return Outcome::tempWritten;
  // Through a symbolic link: the link itself now has the name temp.cfg, and leads on to the
  // stamped file.
  platform::FileStamp old;
  std::string ignored;
  if (!platform::stampOf(kTempFileName, &old, &ignored) || !old.isSameFileAs(handlingStamp) ||
      old.size != handlingStamp.size || old.modified != handlingStamp.modified)
    return Outcome::handlingChanged;
  return Outcome::replaced;
}

// Puts temp.cfg in handling.cfg's place. Where the file system can, the two names are swapped
// in one step and checked after it, so that nothing another program did in the last instant
// before (a file of its own saved as handling.cfg or put in place of temp.cfg, bytes added to
// temp.cfg) is lost or put in place: the names are then swapped back. Elsewhere, a plain rename.
Outcome exchangeWithHandlingFile(std::string* error) {
  switch (platform::exchangeNames(kTempFileName, kHandlingFileName, error)) {
    case platform::ExchangeResult::exchanged:
      break;
    case platform::ExchangeResult::failed:
      return Outcome::notReplaced;
    case platform::ExchangeResult::unsupported: {
      bool exists = false;
      return platform::renameFile(tempLock, kTempFileName, kHandlingFileName, true, &exists, error)
                 ? Outcome::replaced
                 : Outcome::notReplaced;
    }
  }
  const Outcome found = checkExchanged();
  if (found == Outcome::replaced) {
    // Now temp.cfg names the old file (or the link that led to it). Until the folder is synced
    // a power cut leaves handling.cfg the old or the new file, either whole.
    platform::removeName(kTempFileName);
    platform::syncFolder();
    return found;
  }
  const bool swappedBack = platform::exchangeNames(kTempFileName, kHandlingFileName, error) ==
                           platform::ExchangeResult::exchanged;
  // Else after a power cut the next run could take the file under temp.cfg for one left behind.
  platform::syncFolder();
  return swappedBack ? found : Outcome::namesSwapped;
}

// The edit is complete in the user's temporary folder: where it is, and how to put it in place.
void reportKeptElsewhere() {
  const std::string handling = kHandlingFileName;
  reportNotChanged("could not create " + std::string(kTempFileName) + ": " + tempOutError);
  reportNote("the edited file was kept as " + tempElsewhere);
  writeReport("To use it, copy it over " + handling + " in " + platform::currentFolder() +
              ", as administrator where only an administrator may change that folder (on "
              "Windows: copy /Y \"" +
              tempElsewhere + "\" " + handling + " in a console run as administrator there).\n");
}

}  // namespace

const char* const kNoSavingAdvice =
    "For a game under Program Files, start the editor as administrator, or copy the game to a "
    "folder you may write to.\n";

void releaseTempFile() {
  platform::release(tempLock);
  tempLock = platform::kNoHandle;
}

void closeFiles() {
  handlingIn.close();
  if (!tempOut.isOpen()) {
    reportNotChanged("could not create " + std::string(kTempFileName) + ": " + tempOutError);
    writeReport(kNoSavingAdvice);
    return;
  }
  std::string error;
  // Another program may have written to temp.cfg while the editor wrote it or waited, even
  // emptied it and written as many bytes of its own: only the bytes this run wrote, as they
  // are on the disk, may take handling.cfg's place.
  if (tempOut.finish(&error) && tempOut.holdsWritten(tempLock, &error)) {
    if (!tempElsewhere.empty()) {
      // Said kept, it stays: a request to stop now waits, and no longer removes it.
      platform::holdStopRequests();
      reportKeptElsewhere();
      return;
    }
    if (platform::stampOf(tempLock, &tempStamp)) {
      tempComplete = 1;
      return;
    }
    error = platform::lastErrorText();
  }
  const std::string written = tempFilePath();
  discardTempFile();
  reportNotChanged("could not write " + written + ": " + error);
}

void replaceHandlingFile() {
  if (tempComplete == 0) return;
  // From here a request to stop waits: the run ends with the file in place or kept.
  platform::holdStopRequests();
  // Only the file this run wrote may ever take handling.cfg's place, or be kept.
  if (!platform::namesFile(kTempFileName, tempLock)) {
    reportTempFileLost();
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
    keepEdit(handlingChangedText());
    return;
  }
  const platform::Links links = platform::linksOf(kHandlingFileName);
  if (handlingExists) platform::copyOwnerAndPermissions(kHandlingFileName, tempLock);
  std::string error;
  Outcome outcome = Outcome::notReplaced;
  if (handlingExists) {
    outcome = exchangeWithHandlingFile(&error);
  } else {
    bool exists = false;
    if (platform::renameFile(tempLock, kTempFileName, kHandlingFileName, true, &exists, &error))
      outcome = Outcome::replaced;
  }
  switch (outcome) {
    case Outcome::replaced:
    case Outcome::notReplaced:
      break;
    case Outcome::tempReplaced:
      reportTempFileLost();
      return;
    case Outcome::tempWritten:
      discardTempFile();
      reportNotChanged("could not write " + std::string(kTempFileName) + ": " +
                       kWrittenByAnotherProgram);
      return;
    case Outcome::handlingChanged:
      keepEdit(handlingChangedText());
      return;
    case Outcome::namesSwapped: {
      exitStatus = 1;
      const std::string names = std::string(kHandlingFileName) + " and " + kTempFileName;
      reportNote("another program changed one of " + names + " at the last moment, and " + names +
                 " could not be swapped back (" + error + "): each now names the other's file");
      return;
    }
  }
  const bool replaced = outcome == Outcome::replaced;
  if (!handlingExists) {
    reportDeletionFailure(missingReason);
  } else if (replaced) {
    std::cout << "\nEverything sucessfully done\n" << '\n';
  } else {
    reportDeletionFailure(error);
  }
  if (!replaced) {
    keepEdit(std::string(kHandlingFileName) + " was not changed: " + error,
             platform::isHeldOpen(kHandlingFileName));
  } else if (handlingExists) {
    reportBrokenLinks(links);
  }
}
