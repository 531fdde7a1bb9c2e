#include "flow/startup.h"

#include <cstdlib>
#include <filesystem>
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

// Says before the banner that the edit will have nowhere to go; the menus still run. One line:
// with the banner and the main menu it still fits a console window of 25 lines, so that it has
// not scrolled away when the first "Choice: " waits. What to do is said at the end.
void reportNoSavingHere(const std::string& reason) {
  writeReport("vehicle-editor: no change can be saved in this folder: " + reason + ".\n");
}

// How often a run that waits for another editor tries again.
constexpr int kWaitStepMilliseconds = 100;

// Creates and locks temp.cfg; while another editor holds the lock, tries again for up to
// waitSeconds, saying once that it waits. A request to stop ends the wait at once: nothing has
// been created yet.
platform::CreateResult createTempFileWaiting(std::FILE** temp) {
  platform::CreateResult result =
      platform::createLocked(kTempFileName, temp, &tempLock, &tempOutError);
  for (long waited = 0;
       result == platform::CreateResult::inUse && waited < static_cast<long>(waitSeconds) * 1000;
       waited += kWaitStepMilliseconds) {
    if (waited == 0) {
      reportNote("another vehicle-editor is editing " + std::string(kHandlingFileName) +
                 " in this folder; waiting up to " + std::to_string(waitSeconds) +
                 (waitSeconds == 1 ? " second" : " seconds"));
    }
    abandonOnStopRequest();
    platform::sleepMilliseconds(kWaitStepMilliseconds);
    platform::holdStopRequests();
    result = platform::createLocked(kTempFileName, temp, &tempLock, &tempOutError);
  }
  return result;
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

// Where nothing can be saved, the edit goes to a new file in a folder the user may write to, so
// that the finished edit is not lost; a file already there is never touched. Without one, the
// edit has nowhere to go, as before.
void createElsewhere() {
  const std::string folder = platform::userTempFolder();
  if (folder.empty()) return;
  // The names of an edit kept in the game folder, in the user's temporary folder.
  for (int number = 1; number <= kKeptNames; ++number) {
    const std::string name = folder + keptEditName(number);
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

void refuseUtf16File() {
  writeReport("vehicle-editor: " + std::string(kHandlingFileName) + " " +
              std::string(kUtf16Advice) + ".\n");
  std::exit(1);
}

void startUp() {
  // Before any file is opened: a closed standard stream must not become handling.cfg.
  platform::prepareStandardStreams();
  platform::waitForInputNotReady();
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
  const bool utf16 = fileIsUtf16(handling);
  std::fclose(handling);
  if (utf16) refuseUtf16File();
  std::FILE* temp = nullptr;
  switch (createTempFileWaiting(&temp)) {
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
      // A command says so itself, in one report, before it reads anything.
      if (commandLineEdit == 0) reportNoSavingHere(tempOutError);
      // Only the menus' edit, made answer by answer, would be lost: it is kept elsewhere.
      if (commandLineEdit == 0 && commandLineUndo == kNoUndo) createElsewhere();
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
  if (fileIsUtf16(handling)) {
    std::fclose(handling);
    discardTempFile();
    refuseUtf16File();
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

std::string whyHandlingFileUnreadable() {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(kHandlingFileName, error);
  if (status.type() == std::filesystem::file_type::not_found) return "";
  // Nothing can be told of it (a folder on the way that may not be searched): the system's reason.
  if (error) return error.message();
  if (status.type() != std::filesystem::file_type::regular) return "it is not a file";
  std::FILE* file = std::fopen(kHandlingFileName, "rb");
  const std::string reason = platform::lastErrorText();
  if (file) {
    // Readable by now: it was not a moment ago.
    std::fclose(file);
    return "it could not be read a moment ago";
  }
  return platform::isHeldOpen(kHandlingFileName) ? "another program holds it open" : reason;
}

void reportMissingHandlingFile() {
  std::cout << "Couldn't open the file " << kHandlingFileName << ".\n";
  const std::string why = whyHandlingFileUnreadable();
  if (!why.empty()) {
    writeReport("vehicle-editor: could not open " + std::string(kHandlingFileName) + " in " +
                platform::currentFolder() + ": " + why + ".\n");
    return;
  }
  writeReport("vehicle-editor: it looked for " + std::string(kHandlingFileName) + " in " +
              platform::currentFolder() + ".\nStart the editor in the folder that holds " +
              kHandlingFileName + ".\n");
}
