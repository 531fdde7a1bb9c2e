#include "flow/replace_file.h"

#include <iostream>
#include <string>

#include "flow/run_end.h"
#include "flow/state.h"
#include "platform/platform.h"

namespace {

// "handling.cfg" + `ending` for 1, then `ending` + ".2" for 2, and so on, up to kKeptNames.
std::string keptName(const char* ending, int number) {
  std::string name = std::string(kHandlingFileName) + ending;
  if (number > 1) name += "." + std::to_string(number);
  return name;
}

}  // namespace

std::string keptEditName(int number) {
  return keptName(".new", number);
}

bool keepTempFileAs(platform::Handle handle, const char* ending, std::string* kept,
                    std::string* error) {
  for (int number = 1; number <= kKeptNames; ++number) {
    *kept = keptName(ending, number);
    bool exists = false;
    if (platform::renameFile(handle, kTempFileName, kept->c_str(), false, &exists, error))
      return true;
    if (!exists) return false;
    if (number == kKeptNames) *error = "every name up to " + *kept + " is taken";
  }
  return false;
}

namespace {

void reportDeletionFailure(const std::string& reason) {
  // The menus' lines: a command says what became of its edit in one report of its own.
  if (commandLineEdit != 0) return;
  std::cout.flush();
  std::cerr << "\nError deleting config.cfg: " << reason << '\n';
  std::cout << '\n';
}

// Puts the edited file under handling.cfg.new (or the next free name). `heldOpen`: another
// program still has handling.cfg open, and the user is told what to do about it.
void keepEdit(const std::string& why, bool heldOpen = false) {
  exitStatus = 1;
  std::string name;
  std::string error;
  if (keepTempFileAs(tempLock, ".new", &name, &error)) {
    reportNote(why + "; the edited file was kept as " + name);
    if (heldOpen) {
      reportNote("another program has " + std::string(kHandlingFileName) + " open");
      reportNote("close it, then put " + name + " in its place");
    }
    return;
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
  editWritten,      // another program wrote to the edited file once it was handling.cfg
  editTaken,        // once the edited file was handling.cfg, another program put a file of its
                    // own under that name, or removed it
};

// Whether the file held by tempLock still has the size and time of last write closeFiles found.
// Its change time is not asked: giving it the owner, and the exchange, set it.
bool editUnchanged() {
  platform::FileStamp mine;
  return platform::stampOf(tempLock, &mine) && mine.size == tempStamp.size &&
         mine.modified == tempStamp.modified;
}

// The last look before the exchange: temp.cfg is still this run's file as closeFiles left it.
Outcome checkBeforeExchange() {
  if (!platform::namesFile(kTempFileName, tempLock)) return Outcome::tempReplaced;
  return editUnchanged() ? Outcome::replaced : Outcome::tempWritten;
}

// Whether the names, just swapped, lead where they should: handling.cfg to this run's file as
// closeFiles left it, temp.cfg to the very file start-up found, unchanged. handlingChanged says
// that handling.cfg still leads to the edit, and only temp.cfg to another file: that file came
// there with the exchange, so another program saved handling.cfg in the instant before it.
// editWritten and editTaken say that another program acted on handling.cfg after it.
Outcome checkExchanged() {
  if (!platform::namesFile(kHandlingFileName, tempLock)) return Outcome::editTaken;
  if (!editUnchanged()) return Outcome::editWritten;
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
// in one step and checked after it. A file of its own that another program saved as handling.cfg
// in the last instant before is not lost: the names are swapped back, which they are only while
// handling.cfg still leads to the edit, unchanged. What another program did to handling.cfg
// after the exchange is left as it made it. Elsewhere, a plain rename.
Outcome exchangeWithHandlingFile(std::string* error) {
  const Outcome before = checkBeforeExchange();
  if (before != Outcome::replaced) return before;
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
  bool swappedBack = false;
  if (found == Outcome::handlingChanged) {
    swappedBack = platform::exchangeNames(kTempFileName, kHandlingFileName, error) ==
                  platform::ExchangeResult::exchanged;
  }
  // Else after a power cut the next run could take the file under temp.cfg for one left behind.
  platform::syncFolder();
  return swappedBack || found != Outcome::handlingChanged ? found : Outcome::namesSwapped;
}

// After editWritten or editTaken: handling.cfg stays as the other program left it, and the old
// file, now named temp.cfg, which the next start would empty, is kept under a name of its own.
void reportLeftToOtherProgram(Outcome outcome) {
  exitStatus = 1;
  const std::string name = kHandlingFileName;
  std::string what;
  platform::FileStamp ignored;
  std::string missing;
  if (outcome == Outcome::editWritten) {
    what = "another program wrote to " + name + " the moment the edited file took its place";
  } else if (!platform::stampOf(kHandlingFileName, &ignored, &missing)) {
    what = "another program removed " + name +
           " the moment the edited file took its place, and the edit with it";
  } else {
    what = "another program saved its own " + name +
           " the moment the edited file took its place, and the edit was lost";
  }
  reportNote(what + "; " + name + " was left as that program made it");
  if (!platform::isExistingFile(kTempFileName)) return;
  std::string kept;
  std::string error;
  if (keepTempFileAs(platform::kNoHandle, ".old", &kept, &error)) {
    reportNote("the old " + name + " was kept as " + kept);
  } else {
    reportNote("the old " + name + " is in " + kTempFileName + ", which could not be renamed (" +
               error + "): move it elsewhere before the editor runs again");
  }
}

// Keeps the file handling.cfg names now as handling.cfg.bak before anything takes its place, so
// that after a fault, a kill or a power cut at any later moment the old file is there, whether
// or not the new one is in place. Without it the edit still goes in place.
void keepOldFileAsBackup() {
  std::string error;
  if (platform::keepBackup(kHandlingFileName, kBackupFileName, kBackupScratchName, &error)) return;
  reportNote("no backup of the old file was kept, since " + std::string(kBackupFileName) +
             " could not be made (" + error + ")");
}

// When handling.cfg was not replaced after all: a backup that is handling.cfg itself under a
// second name would change with it, and make it a file of two names.
void dropBackupOfKeptFile() {
  platform::FileStamp handling;
  platform::FileStamp backup;
  std::string ignored;
  if (platform::stampOf(kHandlingFileName, &handling, &ignored) &&
      platform::stampOf(kBackupFileName, &backup, &ignored) && handling.isSameFileAs(backup))
    platform::removeName(kBackupFileName);
}

// The edit is complete in the user's temporary folder: where it is, and how to put it in place.
void reportKeptElsewhere() {
  const std::string handling = kHandlingFileName;
  reportNotChanged("could not create " + std::string(kTempFileName) + ": " + tempOutError);
  reportNote("the edited file was kept as " + tempElsewhere + "; to use it, copy it over " +
             handling + " in " + platform::currentFolder() +
             ", as administrator where only an administrator may change that folder (on "
             "Windows: copy /Y \"" +
             tempElsewhere + "\" " + handling + " in a console run as administrator there)");
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
  // A run stopped between keeping the backup and the swap left handling.cfg.bak as a second name
  // of handling.cfg: that is no other name of the user's.
  if (handlingExists) dropBackupOfKeptFile();
  const platform::Links links = platform::linksOf(kHandlingFileName);
  if (handlingExists) platform::copyOwnerAndPermissions(kHandlingFileName, tempLock);
  std::string error;
  Outcome outcome = Outcome::notReplaced;
  if (handlingExists) {
    keepOldFileAsBackup();
    outcome = exchangeWithHandlingFile(&error);
    if (outcome != Outcome::replaced) dropBackupOfKeptFile();
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
    case Outcome::editWritten:
    case Outcome::editTaken:
      reportLeftToOtherProgram(outcome);
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
    if (commandLineEdit == 0) std::cout << "\nEverything sucessfully done\n" << '\n';
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
