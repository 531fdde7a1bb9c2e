#include "flow/commands.h"

#include <algorithm>
#include <iostream>
#include <new>

#include "commands/undo.h"
#include "editing/field_table.h"
#include "editing/value_editor.h"
#include "flow/console.h"
#include "flow/dispatcher.h"
#include "flow/replace_file.h"
#include "flow/run_end.h"
#include "flow/state.h"
#include "handling/exact_lookup.h"
#include "handling/line_split.h"
#include "handling/vehicle_lookup.h"
#include "platform/platform.h"

namespace {

const struct {
  const char* name;
  int mode;
} kPresets[] = {{"supercar", modeSuperCar}, {"superbike", modeSuperBike}, {"rhino", modeRhino}};

// How far apart a suggested name may be, in edits, and how long a name is worth comparing so.
constexpr std::size_t kMaxDistance = 2;
constexpr std::size_t kLongestCompared = 64;
constexpr std::size_t kMaxSuggestions = 3;

Command usageError(std::string what) {
  Command command;
  command.kind = CommandKind::usageError;
  command.error = std::move(what);
  return command;
}

// `text` in double quotes, on one line.
std::string quoted(std::string_view text) {
  std::string line(text);
  std::replace_if(line.begin(), line.end(), isFieldSeparator, ' ');
  return "\"" + line + "\"";
}

bool holdsSeparator(std::string_view text) {
  return std::any_of(text.begin(), text.end(), isFieldSeparator);
}

char foldCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return foldCase(x) == foldCase(y);
         });
}

// 0 for the same letters in another case, otherwise the number of edits from `a` to `b`,
// letter case aside; more than kMaxDistance when they are further apart or share nothing.
std::size_t nameDistance(std::string_view a, std::string_view b) {
  const std::size_t far = kMaxDistance + 1;
  if (a.size() > b.size() + kMaxDistance || b.size() > a.size() + kMaxDistance) return far;
  if (a.size() > kLongestCompared) return equalIgnoringCase(a, b) ? 0 : far;
  std::vector<std::size_t> previous(b.size() + 1);
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j)
    previous[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t replace =
          previous[j - 1] + (foldCase(a[i - 1]) == foldCase(b[j - 1]) ? 0 : 1);
      row[j] = std::min({previous[j] + 1, row[j - 1] + 1, replace});
    }
    std::swap(previous, row);
  }
  const std::size_t distance = previous[b.size()];
  return distance >= a.size() ? far : distance;
}

// The name the commands show for a field: the field table's, without the blank that ends one.
std::string_view displayName(std::size_t index) {
  std::string_view name = fieldTable[index].displayName;
  while (!name.empty() && name.back() == ' ')
    name.remove_suffix(1);
  return name;
}

// A field's text as the commands show it: an empty field as "".
std::string shown(std::string_view text) {
  return text.empty() ? "\"\"" : std::string(text);
}

// When the last name of `path` is `fileName` (handling.cfg unless said otherwise), stores the
// folder before it (empty when there is none) and returns true.
bool handlingFileFolder(std::string_view path, bool ignoreCase, std::string_view separators,
                        std::string* folder, std::string_view fileName = kHandlingFileName) {
  const std::size_t cut = path.find_last_of(separators);
  const std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
  if (!(ignoreCase ? equalIgnoringCase(name, fileName) : name == fileName)) return false;
  if (cut == std::string_view::npos) {
    folder->clear();
    return true;
  }
  std::string_view head = path.substr(0, cut);
  // A root ("/", "C:\") and a drive ("C:") keep the separator that makes them one.
  const bool drives = separators.find(':') != std::string_view::npos;
  if (head.empty() || (drives && (head.back() == ':' || path[cut] == ':')))
    head = path.substr(0, cut + 1);
  folder->assign(head);
  return true;
}

// The CODE=VALUE words of set, after the vehicle's name; an empty result on success.
std::string parseValues(const std::vector<std::string_view>& words, bool force,
                        std::vector<std::pair<std::size_t, std::string>>* values) {
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::string_view word = words[i];
    const std::size_t equals = word.find('=');
    if (equals == std::string_view::npos) return quoted(word) + " is no CODE=VALUE, such as R=2.5";
    const std::string code(word.substr(0, equals));
    const std::string_view value = word.substr(equals + 1);
    const std::size_t index = fieldIndexForCode(code);
    if (index == 0) {
      return "unknown code " + quoted(code) + " in " + quoted(word) +
             "; the codes are B to Z and aa to ag";
    }
    if (value.empty()) return "no VALUE after " + code + "=";
    if (holdsSeparator(value)) return "the value for " + code + " holds whitespace; it is one word";
    if (isCommaDecimal(value) && !force) {
      std::string dotted(value);
      std::replace(dotted.begin(), dotted.end(), ',', '.');
      return code + "=" + std::string(value) + " writes a decimal with a comma, which the game " +
             "may crash on: write " + code + "=" + dotted + ", or give --force to keep it";
    }
    for (const auto& earlier : *values) {
      if (earlier.first == index) return code + " is given twice";
    }
    values->emplace_back(index, value);
  }
  return {};
}

void reportProblem(const std::string& what) {
  writeReport("vehicle-editor: " + what + ".\n");
}

int reportUsageError(const std::string& what) {
  writeReport("vehicle-editor: " + what + " (see vehicle-editor --help)\n");
  return kUsageErrorStatus;
}

std::string readError() {
  return "could not read " + std::string(kHandlingFileName) + ": " + handlingIn.error();
}

// Finds the line whose first word is `vehicleName` and leaves it as lookUpVehicle would
// (currentLine, currentLineNumber, finished), split into `record`. Returns why not: no such line
// (with the closest names the file has) or a failed read; empty on success.
std::string takeNamedVehicle() {
  if (findVehicleLineByFirstWord(handlingIn, vehicleName, &currentLine, &currentLineNumber) &&
      keepLookedUpFile()) {
    finished = 1;
    splitLine();
    return {};
  }
  if (handlingIn.failed()) return readError();
  ClosestNames closest(vehicleName);
  if (!forEachVehicleName(handlingIn, [&](std::string_view name) { closest.consider(name); }))
    return readError();
  std::string why = "no vehicle line of " + std::string(kHandlingFileName) + " begins with " +
                    quoted(vehicleName);
  for (std::size_t i = 0; i < closest.best().size(); ++i)
    why += (i == 0 ? " (closest: " : ", ") + closest.best()[i];
  if (!closest.best().empty()) why += ")";
  return why;
}

// Why the edited record would not read back as edited: a value after a column the line lacks
// (an empty field) would land in that column when the line is split again. Empty when it reads
// back.
std::string columnsThatWouldShift(const HandlingRecord& edited) {
  for (std::size_t index = 1; index + 1 < kFieldCount; ++index) {
    if (!edited[index].empty()) continue;
    for (std::size_t later = index + 1; later < kFieldCount; ++later) {
      if (!edited[later].empty())
        return "the line of " + vehicleName + " has no column " + std::string(displayName(index)) +
               ", so " + std::string(displayName(later)) + " would land in another column";
    }
    break;
  }
  return {};
}

// Makes the edit of set or preset on `record`, as the value editor or the preset of `mode` does,
// and prints each change it makes; or, when the edited line would not keep its values in their
// columns, says why and changes nothing.
std::string applyRequestedEdit() {
  const HandlingRecord before = record;
  std::string listing;
  if (mode == modeManual) {
    for (const auto& [index, text] : commandLineValues) {
      listing += changeLine(vehicleName, index, record[index], text);
      record[index] = text;
    }
    finished = 1;
  } else {
    editRecord();
    for (std::size_t index = 1; index < kFieldCount; ++index) {
      if (record[index] != before[index])
        listing += changeLine(vehicleName, index, before[index], record[index]);
    }
    if (listing.empty()) listing = vehicleName + ": every value is as the preset sets it\n";
  }
  const std::string shift = columnsThatWouldShift(record);
  if (!shift.empty()) return shift;
  // Before the file is written: a run stopped later still shows what it was asked to change.
  std::cout << listing << std::flush;
  // As after the final menu of the menus.
  mode = modeDone;
  finished = 1;
  return {};
}

// The status of a command that only looks, once its output has been handed on: 1 when it could
// not be written (a full disk, a file size limit).
int afterOutput(int status) {
  if (std::cout.flush()) return status;
  reportProblem("could not write the output: " + platform::lastErrorText());
  return 1;
}

// For the commands that only look: handling.cfg opened for reading alone; nothing is created and
// no permission is changed.
bool openToLook() {
  handlingIn.attach(platform::openForReading(kHandlingFileName));
  if (handlingIn.isOpen()) return true;
  reportProblem("could not open " + std::string(kHandlingFileName) + " in " +
                platform::currentFolder() + "; start the editor in the folder that holds " +
                kHandlingFileName);
  return false;
}

int listVehicles() {
  if (!openToLook()) return 1;
  if (!forEachVehicleName(handlingIn, [](std::string_view name) { std::cout << name << '\n'; })) {
    reportProblem(readError());
    return 1;
  }
  return afterOutput(0);
}

// show, and set or preset with --dry-run.
int lookAtVehicle(bool edit) {
  if (!openToLook()) return 1;
  const std::string why = takeNamedVehicle();
  if (!why.empty()) {
    reportProblem(why);
    return 1;
  }
  if (!edit) {
    std::cout << describeVehicle(record, currentLineNumber);
    return afterOutput(0);
  }
  const std::string shift = applyRequestedEdit();
  if (!shift.empty()) {
    reportProblem(shift);
    return 1;
  }
  std::cout << "Dry run: " << kHandlingFileName << " was not changed.\n";
  return afterOutput(0);
}

bool enterDroppedFolder(const Command& command, int* status) {
  if (!platform::isExistingFile(command.path.c_str())) {
    *status = reportUsageError("there is no file " + quoted(command.path));
    return true;
  }
  std::string error;
  if (!command.folder.empty() && !platform::changeFolder(command.folder.c_str(), &error)) {
    reportProblem("could not go to the folder of " + quoted(command.path) + ": " + error);
    *status = 1;
    return true;
  }
  return false;
}

bool runCommand(Command& command, int* status);

}  // namespace

Command parseCommand(const std::vector<std::string_view>& arguments, bool ignoreCase,
                     std::string_view separators) {
  Command command;
  if (arguments.empty()) return command;
  const std::string_view word = arguments[0];
  if (arguments.size() == 1 && handlingFileFolder(word, ignoreCase, separators, &command.folder)) {
    command.kind = CommandKind::droppedFile;
    command.path = word;
    return command;
  }
  if (arguments.size() == 1 &&
      handlingFileFolder(word, ignoreCase, separators, &command.folder, kBackupFileName)) {
    command.kind = CommandKind::droppedBackup;
    command.path = word;
    return command;
  }
  if (word == "list") {
    command.kind = CommandKind::list;
  } else if (word == "show") {
    command.kind = CommandKind::show;
  } else if (word == "set") {
    command.kind = CommandKind::set;
  } else if (word == "preset") {
    command.kind = CommandKind::preset;
  } else if (word == "undo") {
    command.kind = CommandKind::undo;
  } else {
    return usageError("unknown command " + quoted(word) + ", and no path of a handling.cfg");
  }
  const bool edits = command.kind == CommandKind::set || command.kind == CommandKind::preset ||
                     command.kind == CommandKind::undo;
  bool force = false;
  std::vector<std::string_view> words;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    if (argument.empty() || argument[0] != '-') {
      words.push_back(argument);
    } else if (argument == "--dry-run" && edits) {
      command.dryRun = true;
    } else if (argument == "--force" && command.kind == CommandKind::set) {
      force = true;
    } else if (argument == "--dry-run" || argument == "--force") {
      return usageError(std::string(argument) + " does not go with " + std::string(word));
    } else {
      return usageError("unknown option " + quoted(argument));
    }
  }
  const std::string name = std::string(word);
  std::size_t nameAt = 0;
  std::size_t wordsTaken = 1;
  switch (command.kind) {
    case CommandKind::list:
    case CommandKind::undo:
      if (!words.empty())
        return usageError(name + " takes nothing more, but got " + quoted(words[0]));
      return command;
    case CommandKind::show:
      if (words.empty()) return usageError("show needs the NAME of a vehicle");
      break;
    case CommandKind::set:
      if (words.size() < 2) return usageError("set needs the NAME of a vehicle, then CODE=VALUE");
      wordsTaken = words.size();
      break;
    default: {
      if (words.empty())
        return usageError("preset needs supercar, superbike or rhino, then a NAME");
      const auto preset = std::find_if(std::begin(kPresets), std::end(kPresets),
                                       [&](const auto& p) { return words[0] == p.name; });
      if (preset == std::end(kPresets)) {
        return usageError("unknown preset " + quoted(words[0]) +
                          "; the presets are supercar, superbike and rhino");
      }
      command.presetMode = preset->mode;
      if (words.size() < 2)
        return usageError("preset needs the NAME of a vehicle after " + std::string(words[0]));
      nameAt = 1;
      wordsTaken = 2;
      break;
    }
  }
  if (words.size() > wordsTaken) {
    return usageError(name + " takes one NAME, but got also " + quoted(words[wordsTaken]));
  }
  command.vehicle = words[nameAt];
  if (command.vehicle.empty()) return usageError("the NAME of the vehicle is empty");
  if (holdsSeparator(command.vehicle)) {
    return usageError("the NAME " + quoted(command.vehicle) + " holds whitespace; it is one word");
  }
  if (command.kind == CommandKind::set) {
    const std::string why = parseValues(words, force, &command.values);
    if (!why.empty()) return usageError(why);
  }
  return command;
}

bool isCommaDecimal(std::string_view value) {
  // Any number written with a comma (2,5 or 1,000.5 or 2,5e3): the game reads none of them.
  return value.find(',') != std::string_view::npos &&
         value.find_first_of("0123456789") != std::string_view::npos;
}

std::string changeLine(std::string_view vehicle, std::size_t index, std::string_view oldText,
                       std::string_view newText) {
  std::string line = std::string(vehicle) + ": " + std::string(displayName(index)) + " " +
                     shown(oldText) + " -> " + shown(newText);
  if (oldText == newText) line += " (unchanged)";
  return line + "\n";
}

std::string describeVehicle(const HandlingRecord& fields, std::size_t lineNumber) {
  std::string text =
      fields[0] + ", line " + std::to_string(lineNumber + 1) + " of " + kHandlingFileName + ":\n";
  for (std::size_t index = 1; index < kFieldCount; ++index) {
    std::string code = fieldTable[index].code;
    code.resize(4, ' ');
    std::string name(displayName(index));
    name.resize(40, ' ');
    text += code + name + shown(fields[index]) + "\n";
  }
  return text;
}

void ClosestNames::consider(std::string_view name) {
  const std::size_t distance = nameDistance(wanted_, name);
  if (distance > kMaxDistance) return;
  if (std::find(names_.begin(), names_.end(), name) != names_.end()) return;
  // After every name as near or nearer, which came earlier in the file.
  std::size_t at = 0;
  while (at < distances_.size() && distances_[at] <= distance)
    ++at;
  if (at >= kMaxSuggestions) return;
  names_.insert(names_.begin() + static_cast<std::ptrdiff_t>(at), std::string(name));
  distances_.insert(distances_.begin() + static_cast<std::ptrdiff_t>(at), distance);
  if (names_.size() > kMaxSuggestions) {
    names_.pop_back();
    distances_.pop_back();
  }
}

bool runCommandLine(int argc, const char* const* argv, int* status) {
  if (argc < 2) return false;
  // A reader that quit or a file size limit must not end a command that only looks.
  platform::prepareStandardStreams();
  Command command = parseCommand(std::vector<std::string_view>(argv + 1, argv + argc),
                                 platform::namesIgnoreCase(), platform::pathSeparators());
  try {
    return runCommand(command, status);
  } catch (const std::bad_alloc&) {
    // Only a line of handling.cfg of hundreds of megabytes, as in the menus.
    reportProblem("there was not enough memory to hold a line of " +
                  std::string(kHandlingFileName));
    *status = 1;
    return true;
  }
}

namespace {

bool runCommand(Command& command, int* status) {
  switch (command.kind) {
    case CommandKind::menus:
      return false;
    case CommandKind::usageError:
      *status = reportUsageError(command.error);
      return true;
    case CommandKind::droppedFile:
      return enterDroppedFolder(command, status);
    case CommandKind::list:
      *status = listVehicles();
      return true;
    case CommandKind::show:
      vehicleName = command.vehicle;
      *status = lookAtVehicle(false);
      return true;
    case CommandKind::set:
    case CommandKind::preset:
      vehicleName = command.vehicle;
      mode = command.kind == CommandKind::set ? modeManual : command.presetMode;
      commandLineValues = std::move(command.values);
      if (command.dryRun) {
        *status = lookAtVehicle(true);
        return true;
      }
      commandLineEdit = 1;
      return false;
    case CommandKind::undo:
      return prepareUndo(command.dryRun, status);
    case CommandKind::droppedBackup:
      if (enterDroppedFolder(command, status) || prepareUndo(false, status)) return true;
      commandLineUndo = kUndoAfterConfirmation;
      return false;
  }
  return false;
}

}  // namespace

void runEditing() {
  if (commandLineUndo != kNoUndo) {
    runUndo();
    return;
  }
  if (commandLineEdit == 0) {
    dispatch();
    return;
  }
  const std::string why = takeNamedVehicle();
  if (!why.empty()) {
    discardTempFile();
    reportNotChanged(why);
    return;
  }
  const std::string shift = applyRequestedEdit();
  if (!shift.empty()) {
    discardTempFile();
    reportNotChanged(shift);
    return;
  }
  writeAndReplace();
}
