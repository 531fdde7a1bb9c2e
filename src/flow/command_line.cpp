#include "flow/command_line.h"

#include <iostream>
#include <string>
#include <string_view>

#include "commands/command_table.h"
#include "platform/platform.h"

namespace {

// VEHICLE_EDITOR_VERSION comes from the project's version in CMakeLists.txt.
constexpr const char* kVersionLine = "vehicle-editor " VEHICLE_EDITOR_VERSION "\n";

constexpr const char* kUsage =
    "Usage: vehicle-editor [--help | --version]\n"
    "       vehicle-editor [-C FOLDER] [FOLDER/handling.cfg]\n";

// After the usage lines of the commands: the whole fits one screen of a console window.
constexpr const char* kHelp =
    "Without a command: the menus, in this folder or that of FOLDER/handling.cfg.\n"
    "  list, show, get  the names; the 32 values of NAME; just the values of CODEs\n"
    "  set, preset  values by code (B to Z, aa to ag), or a preset of the menus\n"
    "  apply   lines \"NAME CODE=VALUE...\" or \"NAME preset rhino\" from FILE or\n"
    "          standard input: all checked first, then written at once, or none\n"
    "  check   each problem the game may stumble on, as handling.cfg:LINE: what\n"
    "  undo    puts back handling.cfg.bak, the file the last change replaced\n"
    "  -C FOLDER  (first) runs in FOLDER;  --  ends the options\n"
    "  --force keeps a value unfit for its column (2,5); --dry-run writes nothing\n"
    "  --wait SECONDS  set, preset, apply wait for another editor (default 30)\n"
    "Edits print their changes once written, and write nothing if nothing changes.\n"
    "Exit status: 0 done, 1 not, 2 usage error or refused line. Ctrl-C, or the end\n"
    "of the input (Ctrl-D; on Windows Ctrl-Z, Enter), abandons a run unchanged.\n"
    "More in Readme.txt (beside the .exe) and README.md (share/doc/vehicle-editor).\n";

}  // namespace

bool answerCommandLine(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const bool help = argument == "--help" || argument == "-h";
    if (help || argument == "--version") {
      // A reader that has gone, or a full file, must not end the process by a signal: the
      // answer was given as far as it could be, and the status stays 0.
      platform::prepareStandardStreams();
      if (help) {
        std::cout << kUsage << commandUsageLines() << kHelp;
      } else {
        std::cout << kVersionLine;
      }
      return true;
    }
  }
  return false;
}
