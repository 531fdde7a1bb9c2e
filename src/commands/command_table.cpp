#include "commands/command_table.h"

#include <iostream>
#include <new>

#include "commands/batch.h"
#include "commands/check.h"
#include "commands/editing.h"
#include "commands/looking.h"
#include "commands/parser.h"
#include "commands/undo.h"
#include "commands/vehicle_access.h"
#include "flow/run_end.h"
#include "flow/state.h"
#include "platform/platform.h"

namespace {

// Every command, in the order --help lists them.
const CommandEntry kCommands[] = {
    {"list", "list", kNoOptions, CommandWords::none, runList},
    {"show", "show NAME", kNoOptions, CommandWords::name, runShow},
    {"get", "get NAME CODE...", kNoOptions, CommandWords::nameCodes, runGet},
    {"set", "set [--force] [--dry-run] NAME CODE=VALUE...",
     kForceOption | kDryRunOption | kWaitOption, CommandWords::nameValues, runSet},
    {"preset", "preset [--dry-run] supercar|superbike|rhino NAME", kDryRunOption | kWaitOption,
     CommandWords::presetName, runPreset},
    {"apply", "apply [--force] [--dry-run] [FILE]", kForceOption | kDryRunOption | kWaitOption,
     CommandWords::file, runApply},
    {"check", "check", kNoOptions, CommandWords::any,
     [](const Command& command) { return runCheck(viewsOf(command.words)); }},
    {"undo", "undo [--dry-run]", kDryRunOption, CommandWords::none,
     [](const Command& command) { return runUndoCommand(command.dryRun, false); }},
};

// Goes to the folder of a dropped handling.cfg; true, with the status, when the run ends here.
bool enterDroppedFolder(const Command& command, int* status) {
  if (!platform::isExistingFile(command.droppedPath.c_str())) {
    *status = reportUsageError("there is no file " + quoted(command.droppedPath));
    return true;
  }
  std::string error;
  if (!command.droppedFolder.empty() &&
      !platform::changeFolder(command.droppedFolder.c_str(), &error)) {
    reportProblem("could not go to the folder of " + quoted(command.droppedPath) + ": " + error);
    *status = 1;
    return true;
  }
  return false;
}

// Whether standard output or error leads into handling.cfg; says so, where that does not land in
// it, as the menus do. Every command asks before it writes a byte, its usage errors included: a
// script's "list >> handling.cfg" must not add names to the game's file.
bool outputGoesIntoHandlingFile() {
  const bool intoOutput = platform::streamGoesTo(platform::Stream::output, kHandlingFileName);
  const bool intoError = platform::streamGoesTo(platform::Stream::error, kHandlingFileName);
  if (!intoOutput && !intoError) return false;
  if (!(intoOutput && intoError)) {
    reportNotChanged(
        "standard output or standard error goes into " + std::string(kHandlingFileName),
        intoError ? std::cout : std::cerr);
  }
  return true;
}

bool runCommand(const Command& command, int* status) {
  if (outputGoesIntoHandlingFile()) {
    *status = 1;
    return true;
  }
  if (command.usageError) {
    *status = reportUsageError(command.error);
    return true;
  }
  for (const std::string& folder : command.folders) {
    std::string error;
    if (!platform::changeFolder(folder.c_str(), &error)) {
      reportProblem("could not go to the folder " + quoted(folder) + ": " + error);
      *status = 1;
      return true;
    }
  }
  // The handling.cfg of the folder gone to, too.
  if (!command.folders.empty() && outputGoesIntoHandlingFile()) {
    *status = 1;
    return true;
  }
  if (!command.droppedPath.empty()) {
    if (enterDroppedFolder(command, status)) return true;
    if (!command.droppedBackup) return false;
    // Dropped by mistake, maybe: undo asks before it puts the backup back.
    *status = runUndoCommand(false, true);
    return true;
  }
  if (command.entry == nullptr) return false;
  *status = command.entry->run(command);
  return true;
}

}  // namespace

const CommandEntry* findCommand(std::string_view name) {
  for (const CommandEntry& entry : kCommands) {
    if (name == entry.name) return &entry;
  }
  return nullptr;
}

std::string commandUsageLines() {
  std::string lines;
  for (const CommandEntry& entry : kCommands)
    lines += std::string("       vehicle-editor ") + entry.usage + "\n";
  return lines;
}

bool runCommandLine(int argc, const char* const* argv, int* status) {
  if (argc < 2) return false;
  // A reader that quit or a file size limit must not end a command that only looks.
  platform::prepareStandardStreams();
  lackOfMemoryReport = kNoMemoryForCommandLine;
  try {
    const Command command = parseCommand(std::vector<std::string_view>(argv + 1, argv + argc),
                                         platform::namesIgnoreCase(), platform::pathSeparators());
    lackOfMemoryReport = kNoMemoryForCommand;
    return runCommand(command, status);
  } catch (const std::bad_alloc&) {
    abandonForLackOfMemory(lackOfMemoryReport);
  }
}
