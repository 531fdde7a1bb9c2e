// The command line, read into a Command without touching anything.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "commands/command_table.h"

// The exit status of a run whose command line the editor could not take.
inline constexpr int kUsageErrorStatus = 2;

// How long a command that edits waits for another editor without --wait: long enough for
// another run to write its file, short enough that a script does not hang.
inline constexpr int kDefaultWaitSeconds = 30;
// The longest --wait.
inline constexpr int kMaxWaitSeconds = 3600;

// What the command line asks for.
struct Command {
  const CommandEntry* entry = nullptr;  // the command; nullptr for the menus
  bool usageError = false;              // the command line could not be taken: see `error`
  std::string error;                    // usageError: what was wrong
  std::vector<std::string> words;       // the words after the command's name, options aside
  std::string vehicle;                  // show, set, preset: the first word of the vehicle's line
  std::vector<std::pair<std::size_t, std::string>> values;  // set: field index and new text
  std::vector<std::size_t> fields;                          // get: the fields' indexes
  int presetMode = 0;                                       // preset: the mode of its menu choice
  bool dryRun = false;                                      // set, preset, undo: write nothing
  bool force = false;                                       // set: keep a decimal comma
  int waitSeconds = kDefaultWaitSeconds;                    // how long to wait for the lock
  std::vector<std::string> folders;  // -C: the folders to go to, one after the other
  std::string droppedPath;  // the path of a handling.cfg or .bak given alone, as given; else empty
  std::string droppedFolder;   // its folder, empty for the current one
  bool droppedBackup = false;  // the path is of a handling.cfg.bak: undo once confirmed
};

// Reads the arguments that follow the program's name. `ignoreCase` and `separators` are the
// system's path rules (platform::namesIgnoreCase, platform::pathSeparators). Touches nothing: a
// dropped file is only recognised by its name here.
Command parseCommand(const std::vector<std::string_view>& arguments, bool ignoreCase,
                     std::string_view separators);

// The CODE=VALUE words of set, `words` from the second on (the first is the vehicle's name),
// added to `values`: field index and new text. Returns why one is refused; empty on success.
std::string parseValues(const std::vector<std::string>& words, bool force,
                        std::vector<std::pair<std::size_t, std::string>>* values);

// The mode of the preset named `name` (supercar, superbike, rhino); 0 when there is none.
int presetModeNamed(std::string_view name);

// Whether `value` is a number written with a comma, such as "2,5", "-0,15" or "1,000.5": a
// comma and a digit.
bool isCommaDecimal(std::string_view value);

// `words` as views, for a command's run function that takes its words so, e.g. in its row:
// [](const Command& command) { return runCheck(viewsOf(command.words)); }
std::vector<std::string_view> viewsOf(const std::vector<std::string>& words);

// `text` in double quotes, on one line: whitespace as blanks, other control bytes as "?".
std::string quoted(std::string_view text);
