#include "flow/startup.h"

#include <cstdlib>
#include <iostream>
#include <string>

#include "flow/run_end.h"
#include "flow/state.h"
#include "platform/platform.h"

namespace {

// Whether the link target `target`, read from a link in this folder, names the entry `name` of
// this folder, whether or not that entry exists.
bool namesEntryHere(const std::string& target, const std::string& name) {
  const std::size_t slash = target.find_last_of("/\\");
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base != name) return false;
  if (slash == std::string::npos) return true;
  const std::string folder = slash == 0 ? target.substr(0, 1) : target.substr(0, slash);
  platform::FileStamp there;
  platform::FileStamp here;
  std::string ignored;
  return platform::stampOf(folder.c_str(), &there, &ignored) &&
         platform::stampOf(".", &here, &ignored) && there.isSameFileAs(here);
}

// Whether handling.cfg is a link that leads to the file named temp.cfg, or to that name where
// no file has it yet: making temp.cfg anew would take that file's name, and with it
// handling.cfg's bytes, away, or make handling.cfg this run's own empty file.
bool handlingLeadsToTempFile() {
  const platform::Links links = platform::linksOf(kHandlingFileName);
  if (!links.symbolic) return false;
  platform::FileStamp handlingFile;
  platform::FileStamp tempFile;
  std::string ignored;
  if (!platform::stampOf(kHandlingFileName, &handlingFile, &ignored))
    return namesEntryHere(links.target, kTempFileName);
  return platform::stampOf(kTempFileName, &tempFile, &ignored) &&
         tempFile.isSameFileAs(handlingFile);
}

std::string leadsToTempFile() {
  return std::string(kHandlingFileName) + " is a link that leads to " + kTempFileName +
         ", the name the editor writes its new file under";
}

// Ends the run before it has touched anything.
[[noreturn]] void refuseToStart(const std::string& why) {
  reportNotChanged(why);
  std::exit(exitStatus);
}

// Says before the banner that the edit will have nowhere to go; the menus still run. One line:
// with the banner and the main menu it still fits a console window of 25 lines, so that it has
// not scrolled away when the first "Choice: " waits. What to do is said at the end.
void reportNoSavingHere(const std::string& reason) {
  writeReport("vehicle-editor: no change can be saved in this folder: " + reason + ".\n");
}

// The name the edit is kept under in the user's temporary folder: "handling.cfg.new" for 1,
// "handling.cfg.new.2" for 2, and so on.
std::string elsewhereName(const std::string& folder, int number) {
  std::string name = folder + kHandlingFileName + ".new";
  if (number > 1) name += "." + std::to_string(number);
  return name;
}

// Where nothing can be saved, the edit goes to a new file in a folder the user may write to, so
// that the finished edit is not lost; a file already there is never touched. Without one, the
// edit has nowhere to go, as before.
void createElsewhere() {
  const std::string folder = platform::userTempFolder();
  if (folder.empty()) return;
  for (int number = 1; number <= 999; ++number) {
    const std::string name = elsewhereName(folder, number);
    std::FILE* file = nullptr;
    bool exists = false;
    std::string ignored;
    if (platform::createNew(name.c_str(), &file, &tempLock, &exists, &ignored)) {
      tempOut.attach(file);
      tempElsewhere = name;
      return;
    }
    if (!exists) return;
  }
}

}  // namespace

void startUp() {
  // Before any file is opened: a closed standard stream must not become handling.cfg.
  platform::prepareStandardStreams();
  followStandardOutput();
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
  if (handlingLeadsToTempFile()) refuseToStart(leadsToTempFile());
  // Started where there is no handling.cfg to read (the wrong folder): nothing is touched.
  std::FILE* handling = platform::openForReading(kHandlingFileName);
  if (!handling) return;
  std::fclose(handling);
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
      reportNoSavingHere(tempOutError);
      createElsewhere();
      break;
  }
  abandonOnStopRequest();
  // Only now: an editor that was finishing has put its file in place by the time this run holds
  // the lock, and this run reads that file.
  handling = platform::openForReading(kHandlingFileName);
  if (!handling) {
    discardTempFile();
    return;
  }
  handlingIn.attach(handling);
  platform::FileStamp opened;
  platform::FileStamp created;
  // A link that led nowhere leads to the new temp.cfg now.
  if (platform::stampOf(handling, &opened) && tempLock != platform::kNoHandle &&
      platform::stampOf(tempLock, &created) && opened.isSameFileAs(created)) {
    handlingIn.close();
    discardTempFile();
    refuseToStart(leadsToTempFile());
  }
  platform::clearAttributes(kHandlingFileName);
  // After the change above, which is itself a change of the file.
  platform::stampOf(handling, &handlingStamp);
}

void reportMissingHandlingFile() {
  std::cout << "Couldn't open the file " << kHandlingFileName << ".\n";
  writeReport("vehicle-editor: it looked for " + std::string(kHandlingFileName) + " in " +
              platform::currentFolder() + ".\nStart the editor in the folder that holds " +
              kHandlingFileName + ".\n");
}
