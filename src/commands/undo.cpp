#include "commands/undo.h"

#include <cstdio>
#include <iostream>
#include <map>
#include <vector>

#include "commands/vehicle_access.h"
#include "commands/vehicle_edits.h"
#include "flow/console.h"
#include "flow/replace_file.h"
#include "flow/run_end.h"
#include "flow/startup.h"
#include "flow/state.h"
#include "handling/exact_lookup.h"
#include "handling/line_reader.h"
#include "handling/line_split.h"
#include "platform/platform.h"

namespace {

// The lines of `bytes` without their line ends (LF, or CR LF), and without a byte-order mark.
std::vector<std::string_view> splitLines(std::string_view bytes) {
  if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    bytes.remove_prefix(kByteOrderMark.size());
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

// The first word of a vehicle line, as the commands count them; empty for any other line.
std::string_view vehicleOf(std::string_view line) {
  return isVehicleLine(line) ? firstWord(line) : std::string_view();
}

// How line `number` of the backup, `restored`, differs from `current`: the values it changes
// back, when both are the line of one vehicle; otherwise, or when the values are the same (the
// spacing, what follows the values), that the line differs otherwise.
std::string describeLine(std::size_t number, std::string_view current, std::string_view restored) {
  const std::string_view name = vehicleOf(restored);
  std::string changes;
  if (!name.empty() && name == vehicleOf(current)) {
    const HandlingRecord was = splitFields(current);
    const HandlingRecord back = splitFields(restored);
    for (std::size_t index = 1; index < kFieldCount; ++index) {
      if (was[index] != back[index]) changes += changeLine(name, index, was[index], back[index]);
    }
    if (!changes.empty() && tailAfterFields(current) == tailAfterFields(restored)) return changes;
  }
  return changes + "line " + std::to_string(number) +
         (name.empty() ? "" : " (" + std::string(name) + ")") + " differs otherwise\n";
}

// The first line of each vehicle.
std::map<std::string_view, std::string_view> linesByVehicle(
    const std::vector<std::string_view>& lines) {
  std::map<std::string_view, std::string_view> byName;
  for (const std::string_view line : lines) {
    const std::string_view name = vehicleOf(line);
    if (!name.empty()) byName.emplace(name, line);
  }
  return byName;
}

// Reads the rest of `file` into `bytes`. False with the reason in `error`.
bool readAll(std::FILE* file, std::string* bytes, std::string* error) {
  char buffer[1 << 16];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes->append(buffer, got);
  if (!std::ferror(file)) return true;
  *error = platform::lastErrorText();
  return false;
}

// Opens and reads the file `name`; its stamp in `stamp`. False with the reason in `error`.
bool readFile(const char* name, std::string* bytes, platform::FileStamp* stamp,
              std::string* error) {
  std::FILE* file = platform::openForReading(name);
  if (!file) {
    // openForReading keeps the reason to itself.
    platform::FileStamp ignored;
    if (platform::stampOf(name, &ignored, error)) *error = "not a readable regular file";
    return false;
  }
  const bool read = platform::stampOf(file, stamp) && readAll(file, bytes, error);
  std::fclose(file);
  return read;
}

// Why there is no backup to put back; empty when there is one.
std::string whyNoBackup() {
  if (platform::linksOf(kBackupFileName).symbolic)
    return std::string(kBackupFileName) + " is a symbolic link, which undo never puts in place";
  platform::FileStamp stamp;
  std::string error;
  if (!platform::stampOf(kBackupFileName, &stamp, &error))
    return "there is no " + std::string(kBackupFileName) + " in " + platform::currentFolder() +
           " to put back";
  if (!platform::isExistingFile(kBackupFileName))
    return std::string(kBackupFileName) + " is not a file";
  // No edit keeps such a file: put in place, the game would find no vehicle in it.
  if (stamp.size == 0)
    return std::string(kBackupFileName) + " is empty, which undo never puts in place";
  return {};
}

// Why the backup's bytes, `restored`, are no file to put back: empty when they are one.
std::string whyNotPutBack(const std::string& restored) {
  if (isUtf16Start(restored.substr(0, 2)))
    return std::string(kBackupFileName) + " " + std::string(kUtf16Advice);
  return {};
}

// Whether `name` leads to the very file `stamp` was taken of, with the same size and time of
// last write. Its change time is not asked: swapping names sets it.
bool stillNames(const char* name, const platform::FileStamp& stamp) {
  platform::FileStamp now;
  std::string ignored;
  return !platform::linksOf(name).symbolic && platform::stampOf(name, &now, &ignored) &&
         now.isSameFileAs(stamp) && now.size == stamp.size && now.modified == stamp.modified;
}

// Whether the file `name` leads to is still exactly the one `stamp` was taken of.
bool unchanged(const char* name, const platform::FileStamp& stamp) {
  platform::FileStamp now;
  std::string ignored;
  return platform::stampOf(name, &now, &ignored) && now == stamp;
}

std::string changedDuringUndo() {
  return "another program changed " + std::string(kHandlingFileName) + " or " +
         std::string(kBackupFileName) + " during the undo";
}

enum class Swap { swapped, unsupported, failed, changed, stuck };

// Swaps the names handling.cfg and handling.cfg.bak in one step, when neither file changed since
// it was read; checks both after the step and swaps them back when another program changed one
// in the last instant before it.
Swap swapWithBackup(const platform::FileStamp& backupStamp, std::string* error) {
  if (!unchanged(kHandlingFileName, handlingStamp) || !unchanged(kBackupFileName, backupStamp))
    return Swap::changed;
  // A link handling.cfg is replaced by a file of its own, as an edit replaces it; swapped, the
  // link would become the backup and lead on to the file it names.
  if (platform::linksOf(kHandlingFileName).symbolic) return Swap::unsupported;
  switch (platform::exchangeNames(kBackupFileName, kHandlingFileName, error)) {
    case platform::ExchangeResult::exchanged:
      break;
    case platform::ExchangeResult::unsupported:
      return Swap::unsupported;
    case platform::ExchangeResult::failed:
      return Swap::failed;
  }
  if (stillNames(kHandlingFileName, backupStamp) && stillNames(kBackupFileName, handlingStamp)) {
    platform::syncFolder();
    return Swap::swapped;
  }
  const bool back = platform::exchangeNames(kBackupFileName, kHandlingFileName, error) ==
                    platform::ExchangeResult::exchanged;
  platform::syncFolder();
  return back ? Swap::changed : Swap::stuck;
}

// Says that the backup is back: for the undo command the lines of what changed, and only now,
// so that standard output never tells of a change that was not made; after a dropped backup,
// whose changes were shown before the question, as the menus end.
void sayUndone(const std::string& changes) {
  if (commandLineUndo == kUndoAfterConfirmation) {
    std::cout << "\nEverything sucessfully done\n" << '\n';
  } else {
    std::cout << changes;
  }
}

// Where names cannot be swapped in one step: a copy of the backup, `restored`, is written and
// forced to disk as temp.cfg, and takes a kept name, which no start-up removes and every edit
// names; then handling.cfg is kept as the backup, and the copy put in its place. Whenever the
// run stops, each of the two files is there, whole, under a name the user sees.
void replaceWithCopy(const std::string& restored, const platform::FileStamp& backupStamp,
                     const std::string& changes) {
  tempOut.writeBytes(restored);
  closeFiles();
  if (tempComplete == 0) return;
  if (!unchanged(kHandlingFileName, handlingStamp) || !unchanged(kBackupFileName, backupStamp)) {
    discardTempFile();
    reportNotChanged(changedDuringUndo());
    return;
  }
  platform::copyOwnerAndPermissions(kBackupFileName, tempLock);
  std::string kept;
  std::string error;
  if (!keepTempFileAs(tempLock, ".new", &kept, &error)) {
    discardTempFile();
    reportNotChanged("could not keep a copy of " + std::string(kBackupFileName) + ": " + error);
    return;
  }
  if (!platform::keepBackup(kHandlingFileName, kBackupFileName, kBackupScratchName, &error)) {
    reportNote("no backup of the old file was kept, since " + std::string(kBackupFileName) +
               " could not be made (" + error + ")");
  }
  bool exists = false;
  if (!platform::renameFile(tempLock, kept.c_str(), kHandlingFileName, true, &exists, &error)) {
    exitStatus = 1;
    reportNote(std::string(kHandlingFileName) + " was not changed: " + error +
               "; the file to put back was kept as " + kept);
    releaseTempFile();
    return;
  }
  releaseTempFile();
  sayUndone(changes);
}

}  // namespace

std::string describeUndo(std::string_view current, std::string_view restored) {
  if (current == restored)
    return std::string(kBackupFileName) + " is the same as " + std::string(kHandlingFileName) +
           "\n";
  const std::vector<std::string_view> was = splitLines(current);
  const std::vector<std::string_view> back = splitLines(restored);
  std::string text;
  if (was.size() == back.size()) {
    for (std::size_t i = 0; i < back.size(); ++i) {
      if (was[i] != back[i]) text += describeLine(i + 1, was[i], back[i]);
    }
  } else {
    const auto wasByName = linesByVehicle(was);
    const auto backByName = linesByVehicle(back);
    for (std::size_t i = 0; i < back.size(); ++i) {
      const std::string_view name = vehicleOf(back[i]);
      // Each vehicle once: at its first line.
      if (name.empty() || backByName.at(name).data() != back[i].data()) continue;
      const auto found = wasByName.find(name);
      if (found == wasByName.end()) {
        text += std::string(name) + ": only in " + std::string(kBackupFileName) + "\n";
      } else if (found->second != back[i]) {
        text += describeLine(i + 1, found->second, back[i]);
      }
    }
    for (const std::string_view line : was) {
      const std::string_view name = vehicleOf(line);
      if (!name.empty() && wasByName.at(name).data() == line.data() && backByName.count(name) == 0)
        text += std::string(name) + ": not in " + std::string(kBackupFileName) + "\n";
    }
    text += std::string(kHandlingFileName) + " has " + std::to_string(was.size()) + " lines, " +
            std::string(kBackupFileName) + " " + std::to_string(back.size()) + "\n";
  }
  if (text.empty())
    text = std::string(kBackupFileName) + " differs only in its line ends or byte-order mark\n";
  return text;
}

bool prepareUndo(bool dryRun, int* status) {
  // What undo prints must not land in either file it swaps; said only where it does not.
  for (const char* name : {kHandlingFileName, kBackupFileName}) {
    const bool intoOutput = platform::streamGoesTo(platform::Stream::output, name);
    const bool intoError = platform::streamGoesTo(platform::Stream::error, name);
    if (!intoOutput && !intoError) continue;
    if (!(intoOutput && intoError)) {
      reportNotChanged("standard output or standard error goes into " + std::string(name),
                       intoError ? std::cout : std::cerr);
    }
    *status = 1;
    return true;
  }
  const std::string why = whyNoBackup();
  if (!why.empty()) {
    reportNotChanged(why);
    *status = 1;
    return true;
  }
  if (!dryRun) {
    commandLineUndo = kUndo;
    return false;
  }
  std::string current;
  std::string restored;
  std::string error;
  platform::FileStamp ignored;
  const char* failed = nullptr;
  if (!readFile(kHandlingFileName, &current, &ignored, &error)) {
    failed = kHandlingFileName;
  } else if (!readFile(kBackupFileName, &restored, &ignored, &error)) {
    failed = kBackupFileName;
  }
  if (failed) {
    writeReport("vehicle-editor: could not read " + std::string(failed) + ": " + error + ".\n");
    *status = 1;
    return true;
  }
  const std::string refused = whyNotPutBack(restored);
  if (!refused.empty()) {
    reportNotChanged(refused);
    *status = 1;
    return true;
  }
  std::cout << asDryRun(describeUndo(current, restored));
  *status = 0;
  if (!std::cout.flush()) {
    writeReport("vehicle-editor: could not write the output: " + platform::lastErrorText() + ".\n");
    *status = 1;
  }
  return true;
}

void runUndo() {
  std::string current;
  std::string restored;
  std::string error;
  platform::FileStamp backupStamp;
  if (!readAll(handlingIn.file(), &current, &error))
    abandonRun("could not read " + std::string(kHandlingFileName) + ": " + error);
  handlingIn.close();
  if (!readFile(kBackupFileName, &restored, &backupStamp, &error))
    abandonRun("could not read " + std::string(kBackupFileName) + ": " + error);
  // The name may have become a link since the run began.
  std::string why = whyNoBackup();
  if (why.empty()) why = whyNotPutBack(restored);
  if (!why.empty()) abandonRun(why);
  if (tempLock == platform::kNoHandle)
    abandonRun("could not create " + std::string(kTempFileName) + ": " + tempOutError);
  const std::string changes = describeUndo(current, restored);
  // Started by dropping the backup on the program, maybe by mistake: what would change is shown,
  // and only a typed word goes on. The files stay locked and stamped while the user decides.
  if (commandLineUndo == kUndoAfterConfirmation) {
    std::cout << changes << "\nType yes and press Enter to put " << std::string(kBackupFileName)
              << " back: " << std::flush;
    if (readWord() != "yes") {
      discardTempFile();
      std::cout << "\nNothing was changed.\n";
      return;
    }
  }
  // From here a request to stop waits: the run ends with either file in place, whole.
  platform::holdStopRequests();
  switch (swapWithBackup(backupStamp, &error)) {
    case Swap::swapped:
      sayUndone(changes);
      break;
    case Swap::unsupported:
      replaceWithCopy(restored, backupStamp, changes);
      return;
    case Swap::failed:
      discardTempFile();
      reportNotChanged("could not swap " + std::string(kHandlingFileName) + " and " +
                       std::string(kBackupFileName) + ": " + error);
      return;
    case Swap::changed:
      discardTempFile();
      reportNotChanged(changedDuringUndo());
      return;
    case Swap::stuck:
      exitStatus = 1;
      reportNote(changedDuringUndo() + " at the last moment, and the two could not be swapped " +
                 "back (" + error + "): each now names the other's file");
      break;
  }
  discardTempFile();
}

int runUndoCommand(bool dryRun, bool confirm) {
  int status = 0;
  if (prepareUndo(dryRun, &status)) return status;
  if (confirm) commandLineUndo = kUndoAfterConfirmation;
  startUp();
  if (!handlingIn.isOpen()) {
    reportProblem(cannotOpenText());
    return 1;
  }
  runUndo();
  return exitStatus;
}
