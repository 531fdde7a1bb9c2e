#include "flow/startup.h"

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "flow/replace_file.h"
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

// Says before the banner that the edit will have nowhere to go; the menus still run.
void reportNoSavingHere(const std::string& reason) {
  writeReport("vehicle-editor: no change can be saved in this folder: " + reason +
              ".\nFor a game under Program Files, start the editor as administrator, or copy "
              "the game to a folder you may write to.\n");
}

// Names the edits that earlier runs kept when they could not replace handling.cfg, and says how
// to put one in place: otherwise a user who closed the window too soon never learns of them.
void reportWaitingEdits() {
  std::vector<std::string> waiting;
  for (int number = 1; number <= kKeptNames; ++number) {
    const std::string name = keptEditName(number);
    if (platform::isExistingFile(name.c_str())) waiting.push_back(name);
  }
  if (waiting.empty()) return;
  const std::string handlingName = kHandlingFileName;
  std::string names = waiting[0];
  constexpr std::size_t kNamed = 3;
  for (std::size_t i = 1; i < waiting.size() && i < kNamed; ++i)
    names += ", " + waiting[i];
  if (waiting.size() > kNamed) names += " and " + std::to_string(waiting.size() - kNamed) + " more";
  const bool one = waiting.size() == 1;
  writeReport("vehicle-editor: " +
              std::string(one ? "an earlier edit waits in " : "earlier edits wait in ") + names +
              ", kept when " + (one ? "it" : "they") + " could not replace " + handlingName +
              ". To put " + (one ? "it" : "one") +
              " in place, close the game and any program that has " + handlingName +
              " open, then rename " + (one ? "it" : "that file") + " to " + handlingName +
              "; or delete " + (one ? "it" : "them") + ".\n");
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
  reportWaitingEdits();
}

void reportMissingHandlingFile() {
  std::cout << "Couldn't open the file " << kHandlingFileName << ".\n";
  writeReport("vehicle-editor: it looked for " + std::string(kHandlingFileName) + " in " +
              platform::currentFolder() + ".\nStart the editor in the folder that holds " +
              kHandlingFileName + ".\n");
}
