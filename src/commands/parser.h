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
  bool dryRun = false;                                      // set, preset: write nothing
  bool force = false;                                       // set: keep a decimal comma
  std::vector<std::string> folders;  // -C: the folders to go to, one after the other
  std::string droppedPath;           // the path of a handling.cfg given alone, as given; else empty
  std::string droppedFolder;         // its folder, empty for the current one
};

// Reads the arguments that follow the program's name. `ignoreCase` and `separators` are the
// system's path rules (platform::namesIgnoreCase, platform::pathSeparators). Touches nothing: a
// dropped file is only recognised by its name here.
Command parseCommand(const std::vector<std::string_view>& arguments, bool ignoreCase,
                     std::string_view separators);

// Whether `value` is a number written with a comma, such as "2,5", "-0,15" or "1,000.5": a
// comma and a digit.
bool isCommaDecimal(std::string_view value);

// `text` in double quotes, on one line.
std::string quoted(std::string_view text);
