// The editor's whole process-wide state, in one place. Each variable is defined once, with its
// starting value, in state.cpp. The named operations (lookUpVehicle, editRecord, ...) take no
// arguments: they read and write these variables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "handling/handling_record.h"
#include "handling/line_reader.h"
#include "handling/output_file.h"
#include "platform/platform.h"

// The files, relative to the folder the editor runs in.
inline constexpr const char* kHandlingFileName = "handling.cfg";
inline constexpr const char* kTempFileName = "temp.cfg";
// The file each replacement of handling.cfg keeps, and the name it is made under first.
inline constexpr const char* kBackupFileName = "handling.cfg.bak";
inline constexpr const char* kBackupScratchName = "handling.cfg.bak.tmp";

// Values of `mode`.
enum : int {
  modeManual = 0,     // the main menu and manual editing
  modeSuperCar = 2,   // super car preset; also set by "0. Cancel to menu"
  modeSuperBike = 3,  // super bike preset
  modeRhino = 4,      // Rhino preset
  modeDone = 5,       // the final menu has been answered
};

// handling.cfg, opened by startUp; read by lookUpVehicle and writeEditedFile, closed by closeFiles.
extern LineReader handlingIn;
// What handling.cfg was when startUp opened it; replaceHandlingFile replaces only that file.
extern platform::FileStamp handlingStamp;
// 1 once keepLookedUpFile has let go of handling.cfg, so that other programs may save it while
// the user edits, and handlingIn reads a copy of the bytes the lookup read (Windows).
extern int handlingCopied;
// temp.cfg, created empty by startUp; written by writeEditedFile, finished by closeFiles.
extern OutputFile tempOut;
// temp.cfg held by startUp for the whole run: the lock that keeps a second editor out of this
// folder, and what tells this run's temp.cfg from a file another program put in its place.
// Closed by discardTempFile.
extern platform::Handle tempLock;
// What temp.cfg was once closeFiles had read it back whole; replaceHandlingFile puts in place
// only a file that still has this size and time of last write.
extern platform::FileStamp tempStamp;
// Why startUp could not create temp.cfg (empty when it could); read by closeFiles.
extern std::string tempOutError;
// Where the edit is written instead when temp.cfg cannot be made here (a folder the user may not
// change): a new file in the user's temporary folder, held by tempLock and written through
// tempOut, kept there at the end. Empty otherwise. Set by startUp.
extern std::string tempElsewhere;
// The chosen vehicle's line, without its line end; set by lookUpVehicle, read by splitLine and
// by writeEditedFile, which keeps what the line holds after its 33rd field.
extern std::string currentLine;
// Where that line stands in handling.cfg, counting every line from 0; set by lookUpVehicle,
// read by writeEditedFile, which puts the record line in exactly that place.
extern std::size_t currentLineNumber;
// The checksum of all of handling.cfg as lookUpVehicle read it, on to its end, once it had found
// the line; writeEditedFile's copy must read the very same bytes.
extern std::uint64_t handlingChecksum;
// The word the user typed at "Vehicle: "; set by lookUpVehicle.
extern std::string vehicleName;
// The chosen line's 33 fields; filled by splitLine, changed by editRecord, written by
// writeEditedFile.
extern HandlingRecord record;

// 0 while the next menu is to be preceded by the banner; set to 1 by showCredits and
// afterEditMenu, read by showMenu.
extern int bannerShown;
// One of the mode values above; set by dispatch and afterEditMenu.
extern int mode;
// 1 once the current step has done its work; lookUpVehicle prompts while it is 0.
extern int finished;
// 1 while the manual pipeline is to run editRecord and afterEditMenu again; cleared by
// afterEditMenu on "0. Cancel to menu".
extern int editAnother;
// 1 once temp.cfg is written in full, on disk and closed; set by closeFiles, read by
// replaceHandlingFile, which never replaces handling.cfg otherwise.
extern int tempComplete;
// 1 while standard output's cursor stands after a prompt or a message without a line end; kept
// by the buffer that followStandardOutput puts on standard output, read by the reports.
extern int outputLineOpen;
// The process's exit status: 1 when the run did not do what the user asked; set by the step
// that failed, returned by main.
extern int exitStatus;
// 1 when a command (set, preset, apply) makes the edit instead of the menus: start-up and the
// replacement then leave standard output to its change lines and say what failed in one
// report. Set by makeEdits.
extern int commandLineEdit;
// How long start-up waits, in seconds, for another editor in this folder to finish before it
// refuses: 0 for the menus, which refuse at once; set by the commands that edit.
extern int waitSeconds;
// The whole report of a run that runs out of memory now, saying what the memory was for; set by
// main and runCommandLine as the run goes from step to step, read when memory runs out.
extern const char* lackOfMemoryReport;
// Values of `commandLineUndo`.
enum : int {
  kNoUndo = 0,
  kUndo = 1,                   // undo
  kUndoAfterConfirmation = 2,  // handling.cfg.bak dropped on the program: undo once confirmed
};
// Not kNoUndo when the command line asked for undo: runUndo then puts handling.cfg.bak back,
// after a typed "yes" for kUndoAfterConfirmation. Set by prepareUndo and runUndoCommand.
extern int commandLineUndo;
