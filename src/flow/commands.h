// The commands beside the menus: list, show, set, preset, undo, and the path of a handling.cfg or
// a handling.cfg.bak (what Windows passes when the file is dropped on the program).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "handling/handling_record.h"

// The exit status of a run whose command line the editor could not take.
inline constexpr int kUsageErrorStatus = 2;

enum class CommandKind {
  menus,
  droppedFile,
  droppedBackup,
  list,
  show,
  set,
  preset,
  undo,
  usageError
};

// What the command line asks for.
struct Command {
  CommandKind kind = CommandKind::menus;
  std::string vehicle;  // show, set, preset: the first word of the vehicle's line
  std::vector<std::pair<std::size_t, std::string>> values;  // set: field index and new text
  int presetMode = 0;                                       // preset: the mode of its menu choice
  bool dryRun = false;                                      // set, preset, undo: write nothing
  std::string path;                                         // droppedFile, droppedBackup: as given
  std::string
      folder;         // droppedFile, droppedBackup: the folder to run in, empty for the current one
  std::string error;  // usageError: what was wrong
};

// Reads the arguments that follow the program's name. `ignoreCase` and `separators` are the
// system's path rules (platform::namesIgnoreCase, platform::pathSeparators). Touches nothing: a
// dropped file is only recognised by its name here.
Command parseCommand(const std::vector<std::string_view>& arguments, bool ignoreCase,
                     std::string_view separators);

// Whether `value` is a number written with a comma, such as "2,5", "-0,15" or "1,000.5": a
// comma and a digit.
bool isCommaDecimal(std::string_view value);

// The line that tells of one change: "NAME: <display name> <old> -> <new>", with " (unchanged)"
// after it when both texts are equal; an empty text shows as "".
std::string changeLine(std::string_view vehicle, std::size_t index, std::string_view oldText,
                       std::string_view newText);

// The lines that show the 32 values of `fields`, which stand on line `lineNumber` (from 0).
std::string describeVehicle(const HandlingRecord& fields, std::size_t lineNumber);

// Collects the names of a file that are closest to a name that none of them is: names equal to
// it but for letter case first, then those within an edit distance of 2 (letter case aside), the
// nearest first and in file order among equals; at most three, each once.
class ClosestNames {
 public:
  explicit ClosestNames(std::string_view wanted) : wanted_(wanted) {}
  void consider(std::string_view name);
  const std::vector<std::string>& best() const { return names_; }

 private:
  std::string wanted_;
  std::vector<std::string> names_;
  std::vector<std::size_t> distances_;
};

// Runs the command line before start-up. Returns true with the exit status in `status` when the
// run ends here: a usage error, list, show, a dry run. Otherwise returns false and the run goes
// on with startUp and runEditing: after set or preset with `commandLineEdit` set, after the path
// of a handling.cfg in that file's folder, without arguments as it always did.
bool runCommandLine(int argc, const char* const* argv, int* status);

// After startUp: the edit that set or preset asked for, written exactly as after the menus;
// otherwise the menus (dispatch).
void runEditing();
