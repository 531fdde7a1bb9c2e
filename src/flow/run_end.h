// How a run ends when it does not do what the user asked: the removal of the temp.cfg this run
// created, and the lines the editor adds on standard error.
#pragma once

#include <cstddef>
#include <iostream>
#include <string>
#include <string_view>

// The widest line the editor writes on standard error: a console is 80 columns wide.
inline constexpr std::size_t kMaxLineWidth = 79;

// `text` with blanks turned into line ends where a line would otherwise be wider than `width`;
// a word wider than that stays whole on a line of its own. Line ends already in `text` count.
std::string breakAtBlanks(std::string_view text, std::size_t width = kMaxLineWidth);

// From now on, remembers whether standard output's cursor stands after a prompt or a message
// without a line end (outputLineOpen).
void followStandardOutput();

// `text` as a report shows it: broken at blanks within kMaxLineWidth columns on a console or
// terminal, whole into a file or a pipe, where each report stays one line that a search for
// "vehicle-editor:" finds.
std::string reportLines(const std::string& text, bool toConsole);

// Writes `text`, which ends in a line end, to `to` (standard error unless said otherwise), as
// reportLines shows it there; first ends the line standard output's cursor stands in, so that
// the text starts on a line of its own.
void writeReport(const std::string& text, std::ostream& to = std::cerr);

// Tells the user on standard error (or on `to`) that handling.cfg was not changed, and why; the
// run will end with exit status 1.
void reportNotChanged(const std::string& why, std::ostream& to = std::cerr);

// Writes "vehicle-editor: ", `text` and a full stop as a report.
void reportNote(const std::string& text);

// The file this run writes its edit to: temp.cfg, or the file in the user's temporary folder
// that stands in for it (tempElsewhere).
const char* tempFilePath();

// Closes and removes the temp.cfg this run created and locked (or the file standing in for it); a
// file of that name that this run did not create (a folder, another program's file) is left alone.
void discardTempFile();

// Ends the run at once without touching handling.cfg: removes the temp.cfg this run created,
// reports `why` as above and exits with status 1.
[[noreturn]] void abandonRun(const std::string& why);

// Makes a request to stop (Ctrl-C, a closed terminal, SIGTERM, the CPU time limit) abandon the
// run the same way, with the exit status of the request.
void abandonOnStopRequest();

// What lackOfMemoryReport says while the editor starts, while it reads its command line, while it
// carries out a command, and while the menus run, whose memory goes to the lines of handling.cfg.
inline constexpr const char* kNoMemoryToStart =
    "vehicle-editor: there was not enough memory to start; handling.cfg was not changed.\n";
inline constexpr const char* kNoMemoryForCommandLine =
    "vehicle-editor: there was not enough memory to read the command line;\n"
    "handling.cfg was not changed.\n";
inline constexpr const char* kNoMemoryForCommand =
    "vehicle-editor: there was not enough memory to carry out the command;\n"
    "handling.cfg was not changed.\n";
inline constexpr const char* kNoMemoryForLine =
    "vehicle-editor: there was not enough memory to hold a line of handling.cfg;\n"
    "handling.cfg was not changed.\n";

// From now on, a run that runs out of memory ends at once as abandonForLackOfMemory does, with
// lackOfMemoryReport, instead of by an exception: where memory is that short, even the exception
// may find none.
void abandonWhenMemoryRunsOut();

// The same for a run that has run out of memory: `report` is the whole report, already within
// kMaxLineWidth columns (off the console its line ends but the last become blanks), and nothing
// on the way needs memory.
[[noreturn]] void abandonForLackOfMemory(const char* report) noexcept;
