// The commands beside the menus, in one table that serves the command line's parsing, the
// dispatch and the --help text. A new command is one row here and its run function.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

struct Command;

// The options a command takes, or-ed together.
enum CommandOption : unsigned {
  kNoOptions = 0,
  kForceOption = 1,   // --force: a value with a decimal comma is stored as typed
  kDryRunOption = 2,  // --dry-run: print the changes, write nothing
  kWaitOption = 4,    // --wait SECONDS: how long to wait for another editor in the folder
};

// What a command takes after its options.
enum class CommandWords {
  none,        // list
  name,        // show: NAME
  nameCodes,   // get: NAME CODE...
  nameValues,  // set: NAME CODE=VALUE...
  presetName,  // preset: supercar|superbike|rhino NAME
  file,        // apply: [FILE]
  any,         // the command checks its words itself (Command::words)
};

struct CommandEntry {
  const char* name;
  const char* usage;  // the line after "vehicle-editor " in --help
  unsigned options;   // CommandOption values
  CommandWords words;
  // Runs the parsed command and returns the exit status.
  int (*run)(const Command& command);
};

// The row of the command `name`; nullptr when there is none.
const CommandEntry* findCommand(std::string_view name);

// The usage lines of every command, each "       vehicle-editor USAGE\n", in table order.
std::string commandUsageLines();

// Runs the command line before start-up. Returns true with the exit status in `status` when the
// run ends here: a usage error or a command. Otherwise returns false and the run goes on with
// the menus: without arguments as it always did, after the path of a handling.cfg in that
// file's folder.
bool runCommandLine(int argc, const char* const* argv, int* status);
