#include "commands/parser.h"

#include <algorithm>

#include "commands/closest_names.h"
#include "editing/field_table.h"
#include "editing/value_kind.h"
#include "flow/state.h"
#include "handling/line_split.h"

namespace {

const struct {
  const char* name;
  int mode;
} kPresets[] = {{"supercar", modeSuperCar}, {"superbike", modeSuperBike}, {"rhino", modeRhino}};

const struct {
  const char* name;
  CommandOption option;
} kOptions[] = {{"--force", kForceOption}, {"--dry-run", kDryRunOption}, {"--wait", kWaitOption}};

// The SECONDS of --wait: a whole number from 0 to kMaxWaitSeconds; -1 for any other text.
int waitSecondsFrom(std::string_view text) {
  if (text.empty() || text.size() > 4) return -1;
  int seconds = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return -1;
    seconds = seconds * 10 + (c - '0');
  }
  return seconds <= kMaxWaitSeconds ? seconds : -1;
}

Command usageError(std::string what) {
  Command command;
  command.usageError = true;
  command.error = std::move(what);
  return command;
}

bool holdsSeparator(std::string_view text) {
  return std::any_of(text.begin(), text.end(), isFieldSeparator);
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

// The CODE words of get, after the vehicle's name; an empty result on success.
std::string parseCodes(const std::vector<std::string>& words, std::vector<std::size_t>* fields) {
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::size_t index = fieldIndexForCode(words[i]);
    if (index == 0)
      return "unknown code " + quoted(words[i]) + "; the codes are B to Z and aa to ag";
    fields->push_back(index);
  }
  return {};
}

// Takes the words of `command` by its entry's rule; an empty result on success.
std::string parseWords(Command* command) {
  const std::vector<std::string>& words = command->words;
  const std::string name = command->entry->name;
  std::size_t nameAt = 0;
  std::size_t wordsTaken = 1;
  switch (command->entry->words) {
    case CommandWords::any:
      return {};
    case CommandWords::file:
      if (words.size() > 1) return name + " takes one FILE, but got also " + quoted(words[1]);
      if (!words.empty() && words[0].empty()) return "the FILE of " + name + " is empty";
      return {};
    case CommandWords::none:
      if (!words.empty()) return name + " takes nothing more, but got " + quoted(words[0]);
      return {};
    case CommandWords::name:
      if (words.empty()) return name + " needs the NAME of a vehicle";
      break;
    case CommandWords::nameCodes:
      if (words.size() < 2) return name + " needs the NAME of a vehicle, then a CODE";
      wordsTaken = words.size();
      break;
    case CommandWords::nameValues:
      if (words.size() < 2) return name + " needs the NAME of a vehicle, then CODE=VALUE";
      wordsTaken = words.size();
      break;
    case CommandWords::presetName: {
      if (words.empty()) return name + " needs supercar, superbike or rhino, then a NAME";
      command->presetMode = presetModeNamed(words[0]);
      if (command->presetMode == 0) {
        return "unknown preset " + quoted(words[0]) +
               "; the presets are supercar, superbike and rhino";
      }
      if (words.size() < 2) return name + " needs the NAME of a vehicle after " + words[0];
      nameAt = 1;
      wordsTaken = 2;
      break;
    }
  }
  if (words.size() > wordsTaken)
    return name + " takes one NAME, but got also " + quoted(words[wordsTaken]);
  command->vehicle = words[nameAt];
  if (command->vehicle.empty()) return "the NAME of the vehicle is empty";
  if (holdsSeparator(command->vehicle))
    return "the NAME " + quoted(command->vehicle) + " holds whitespace; it is one word";
  if (command->entry->words == CommandWords::nameValues)
    return parseValues(words, command->force, &command->values);
  if (command->entry->words == CommandWords::nameCodes) return parseCodes(words, &command->fields);
  return {};
}

}  // namespace

std::string quoted(std::string_view text) {
  std::string line(text);
  std::replace_if(line.begin(), line.end(), isFieldSeparator, ' ');
  // Other control bytes (escape sequences among them) would act on the terminal the report
  // reaches, or hide what was typed.
  std::replace_if(
      line.begin(), line.end(),
      [](char c) { return (static_cast<unsigned char>(c) < 0x20 || c == 0x7f); }, '?');
  return "\"" + line + "\"";
}

Command parseCommand(const std::vector<std::string_view>& arguments, bool ignoreCase,
                     std::string_view separators) {
  Command command;
  std::size_t first = 0;  // the first argument after the folders
  while (first < arguments.size() && arguments[first] == "-C") {
    if (first + 1 == arguments.size()) return usageError("-C needs a FOLDER");
    if (arguments[first + 1].empty()) return usageError("the FOLDER after -C is empty");
    command.folders.emplace_back(arguments[first + 1]);
    first += 2;
  }
  if (first == arguments.size()) return command;
  const std::string_view word = arguments[first];
  if (first + 1 == arguments.size() &&
      handlingFileFolder(word, ignoreCase, separators, &command.droppedFolder)) {
    command.droppedPath = word;
    return command;
  }
  if (first + 1 == arguments.size() &&
      handlingFileFolder(word, ignoreCase, separators, &command.droppedFolder, kBackupFileName)) {
    command.droppedPath = word;
    command.droppedBackup = true;
    return command;
  }
  command.entry = findCommand(word);
  if (command.entry == nullptr)
    return usageError("unknown command " + quoted(word) + ", and no path of a handling.cfg");
  bool options = true;  // until "--"
  for (std::size_t i = first + 1; i < arguments.size(); ++i) {
    const std::string_view argument = arguments[i];
    // A lone "-" is a word: apply's name for standard input.
    if (!options || argument.empty() || argument[0] != '-' || argument == "-") {
      command.words.emplace_back(argument);
      continue;
    }
    if (argument == "--") {
      options = false;
      continue;
    }
    const auto option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                     [&](const auto& o) { return argument == o.name; });
    if (option == std::end(kOptions)) return usageError("unknown option " + quoted(argument));
    if ((command.entry->options & option->option) == 0)
      return usageError(std::string(argument) + " does not go with " + std::string(word));
    if (option->option == kForceOption) command.force = true;
    if (option->option == kDryRunOption) command.dryRun = true;
    if (option->option == kWaitOption) {
      if (i + 1 == arguments.size()) return usageError("--wait needs SECONDS");
      command.waitSeconds = waitSecondsFrom(arguments[++i]);
      if (command.waitSeconds < 0) {
        return usageError("--wait takes whole SECONDS from 0 to " +
                          std::to_string(kMaxWaitSeconds) + ", not " + quoted(arguments[i]));
      }
    }
  }
  const std::string why = parseWords(&command);
  if (!why.empty()) return usageError(why);
  return command;
}

std::string parseValues(const std::vector<std::string>& words, bool force,
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
    if (!force && !fitsKind(fieldTable[index].kind, value)) {
      const std::string meant = numberMeant(fieldTable[index].kind, value);
      if (isCommaDecimal(value) && !meant.empty()) {
        return code + "=" + std::string(value) + " writes a decimal with a comma, which the " +
               "game may crash on: write " + code + "=" + meant + ", or give --force to keep it";
      }
      return misfitText(index, code + "=" + std::string(value)) + "; give --force to keep it";
    }
    for (const auto& earlier : *values) {
      if (earlier.first == index) return code + " is given twice";
    }
    values->emplace_back(index, value);
  }
  return {};
}

std::vector<std::string_view> viewsOf(const std::vector<std::string>& words) {
  return std::vector<std::string_view>(words.begin(), words.end());
}

int presetModeNamed(std::string_view name) {
  for (const auto& preset : kPresets) {
    if (name == preset.name) return preset.mode;
  }
  return 0;
}

bool isCommaDecimal(std::string_view value) {
  // Any number written with a comma (2,5 or 1,000.5 or 2,5e3): the game reads none of them.
  return value.find(',') != std::string_view::npos &&
         value.find_first_of("0123456789") != std::string_view::npos;
}
