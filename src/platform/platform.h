// The few file and process operations that differ between POSIX and Windows. The rest of the
// editor is portable C++17 and reaches the operating system only through these functions.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// A file the editor holds open through the system's own handle (a descriptor on POSIX, a HANDLE
// on Windows), beside any C stream on the same file.
using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = -1;

// Makes `*argv` the command line's words in UTF-8, as the rest of the editor takes every text. On
// Windows they are read from the command line as the system holds it (UTF-16), so that a path in
// any script arrives whole, never turned into the code page's look-alike; `*argc` is their count.
// Nothing changes on POSIX, whose words are bytes already.
void useUtf8Arguments(int* argc, char*** argv);

// Opens the null device on each of the standard streams (input, output, error) that the process
// was started without, so that no file the editor opens later takes a standard stream's place:
// a missing input then reads as ended, missing output goes nowhere. Also makes a write past a
// file size limit, or to a reader that has gone, fail as an error instead of ending the process.
// On Windows, standard error written to a console shows the editor's UTF-8 text (a path in any
// script) as the characters it stands for; written elsewhere it stays UTF-8 bytes.
void prepareStandardStreams();

// Holds the requests to stop (POSIX: SIGINT, SIGHUP, SIGQUIT, SIGTERM and SIGXCPU, the CPU time
// limit; Windows: the console's
// Ctrl-C, Ctrl-Break and close events): one that comes waits until stopOnRequest, or until the
// process ends. Start-up holds them while it creates temp.cfg; the run holds them from the moment
// it puts a file in place or removes temp.cfg, so that what has begun is finished.
void holdStopRequests();
// Makes the requests to stop end the run at once, from now on and for one that was held: `file`
// (held by `handle`, may be kNoHandle) is removed if `file` still names it, `toOutput` goes to
// standard output, and `before`, the request's name and `after` to standard error; the exit
// status is 128 plus the signal number (130 for Ctrl-C, 149 for Ctrl-Break, 129 for a closed
// console, 152 for the CPU time limit). Where the line would be wider than 79 columns, it is
// broken at the first blank of `after`. The texts must live for the whole run.
void stopOnRequest(Handle handle, const char* file, const char* toOutput, const char* before,
                   const char* after);
// Once the run is over: a request to stop ends the process at once, as for any program. A request
// that is ending the run already finishes that first (this waits for it).
void endOnStopRequest();
// For a console window that closes with the process: a request to stop that ends the run (Windows:
// Ctrl-C, Ctrl-Break; not the closing of the console, after which Windows ends the process
// itself) writes `prompt` to standard output after its report and waits for Enter before the
// process ends with the request's status. `prompt` must live for the whole run. Nothing on POSIX.
void askForEnterOnStop(const char* prompt);

// The two streams the editor writes to.
enum class Stream { output, error };
// Whether `stream` writes into the file that `path` leads to.
bool streamGoesTo(Stream stream, const char* path);
// Whether `stream` writes to a console or terminal (not into a file or a pipe).
bool isTerminal(Stream stream);
// Waits `milliseconds` without using the processor.
void sleepMilliseconds(unsigned milliseconds);

// Makes an existing file that is not writable writable, so that it can be replaced later: on
// Windows clears its read-only attribute (and no other), on POSIX adds write permission for its
// owner. A
// symbolic link, or a file with more than one name, is left alone: the change would reach the
// file under its other names. Failures are ignored.
void clearAttributes(const char* path);

// Opens `path` for reading in binary mode. Returns nullptr when it is missing, unreadable or
// not a regular file (a directory or a pipe of that name is refused without blocking). On
// Windows other programs may still write, replace or delete the file while it is open, and a
// brief hold by another program is waited out for up to about two seconds.
std::FILE* openForReading(const char* path);

// Lets other programs save or delete the file open as `file` (read from its first byte), while
// its bytes stay readable. Where an open file, however shared, keeps another program from
// putting a new file in its place (Windows), copies its bytes into a new file in the user's
// temporary folder, which no other program may open and which goes when it is closed or the
// process ends, and returns that copy; the caller then closes `file`. Elsewhere, or when the copy
// cannot be made, returns `file` itself.
std::FILE* letOthersSave(std::FILE* file);

// What createLocked found.
// openElsewhere (Windows): a file of that name is open in another program, which is not an editor.
enum class CreateResult { created, inUse, openElsewhere, failed };

// Creates `path` as an empty regular file open for writing in binary mode, emptying a regular
// file of that name, and locks it for the rest of the run. A symbolic link of that name is
// removed first and never followed. On success `*file` is the stream to write and `*lock` a
// second handle on the same file, which keeps the lock after the stream is closed and until the
// process ends, and through which the file can be read back. inUse: another process holds the lock,
// and the file was not touched. failed: `error` holds the system's reason.
// Where the file system cannot give such locks (as over NFS), the file is created all the
// same, unlocked.
CreateResult createLocked(const char* path, std::FILE** file, Handle* lock, std::string* error);

// Whether `path` still names the file held by `handle` (not another file put there, or none).
bool namesFile(const char* path, Handle handle);

// Removes `path` when it names the file held by `handle`, and closes `handle`.
void removeAndClose(const char* path, Handle handle);

// Closes `handle` once the file it holds has its final name (handling.cfg or a kept edit): other
// programs may then open that file freely, and another editor may start in the folder.
void release(Handle handle);

// Asks the system to start writing what `file` holds to the disk, without waiting for it.
void startWriteback(std::FILE* file);

// Hands everything `file` has buffered to the system and forces it to the disk.
// Returns false and sets `error` when either step fails.
bool flushToDisk(std::FILE* file, std::string* error);

// Reads up to `size` bytes of the file held by `handle`, from byte `offset` on, into `buffer`;
// `*got` is how many came, 0 at the end of the file. The handle must have been opened for
// reading as well. False with the system's reason in `error` when reading failed.
bool readAt(Handle handle, std::uint64_t offset, char* buffer, std::size_t size, std::size_t* got,
            std::string* error);

// What tells one state of a file from another: which file it is, its size, the time of its last
// write and the time of its last change of any kind (which no program can set back). Two equal
// stamps mean nobody changed the file between.
struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t fileId = 0;
  std::uint64_t size = 0;
  std::int64_t modified = 0;
  std::int64_t changed = 0;

  bool operator==(const FileStamp& other) const {
    return device == other.device && fileId == other.fileId && size == other.size &&
           modified == other.modified && changed == other.changed;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
  bool isSameFileAs(const FileStamp& other) const {
    return device == other.device && fileId == other.fileId;
  }
};

// The stamp of the open `file`, or of the file held by `handle`. False when it cannot be read.
bool stampOf(std::FILE* file, FileStamp* stamp);
bool stampOf(Handle handle, FileStamp* stamp);
// The stamp of the file named `path`, through a symbolic link; false with the system's reason
// in `error` when there is none to read (for instance "No such file or directory").
bool stampOf(const char* path, FileStamp* stamp, std::string* error);

// How the name `path` reaches its file, when other names reach it too.
struct Links {
  bool symbolic = false;  // `path` is a symbolic link, to `target`
  std::string target;
  bool hard = false;  // the file has more names than this one
};
Links linksOf(const char* path);

// Gives the file held by `handle` the owner, group and permission bits of the file `from`, as
// far as the system allows: when it refuses the owner, the group alone (on Windows: its Hidden and
// System attributes). Best effort.
void copyOwnerAndPermissions(const char* from, Handle handle);

// Gives the file `from`, held by `handle`, the name `to` in one atomic step, replacing `to` when
// `replace` is true; otherwise fails with `exists` set when `to` exists, and never replaces a
// file there, also where the file system has neither such a rename nor hard links. Makes the
// change survive a power cut. On failure both names are as they were and `error` holds the
// reason. On Windows a brief hold of `to` by another program is waited out for up to about two
// seconds.
bool renameFile(Handle handle, const char* from, const char* to, bool replace, bool* exists,
                std::string* error);

// Makes `backup` name a file that holds what `path` names now, bytes, mode and attributes: on
// POSIX the very file under a second name (hard links to it keep leading to it), where the file
// system has no hard links (or `path` is a symbolic link) a copy forced to disk. It is made under
// the name `scratch` first (a file left there is removed) and then takes the name `backup`,
// replacing an older one, in one step; the change survives a power cut. On failure `backup` is as
// it was, `scratch` is gone and `error` holds the reason.
bool keepBackup(const char* path, const char* backup, const char* scratch, std::string* error);

// The folder the editor runs in, as the system names it; empty when it cannot be told.
std::string currentFolder();
// The folder for this user's temporary files, where the user may write even when the game's
// folder is closed to them, ending in a separator: on Windows the user's temporary folder, on
// POSIX $TMPDIR or /tmp. Empty when it cannot be told.
std::string userTempFolder();
// Creates `path` as a new empty file, open for writing as `*file` and for reading back through
// `*handle`; never takes the name of a file or link that is there. False with `*exists` set when
// the name is taken, otherwise with the system's reason in `error`.
bool createNew(const char* path, std::FILE** file, Handle* handle, bool* exists,
               std::string* error);
// What exchangeNames did.
enum class ExchangeResult { exchanged, unsupported, failed };
// Swaps the names `a` and `b` in one atomic step, so that each leads to the file the other led
// to. unsupported where the system or the file system has no such step (always on Windows);
// failed with the system's reason in `error`. Unless exchanged, both names are as they were.
// After a power cut the folder may show the names as they were before: see syncFolder.
ExchangeResult exchangeNames(const char* a, const char* b, std::string* error);

// Removes the name `path` (a link itself, never what it leads to). Best effort.
void removeName(const char* path);

// Makes every change of names in the current folder so far survive a power cut.
void syncFolder();

// Whether another program has `path` open in a way that keeps it from being replaced or deleted
// (Windows: open without delete sharing). Never on POSIX, where an open file can be replaced.
bool isHeldOpen(const char* path);

// The system's description of the C library's last error (errno).
std::string lastErrorText();

// How the system writes paths: whether two names that differ only in letter case name the same
// file (Windows), and the characters after which a path's last name begins ("/" on POSIX; "\\",
// "/" and the ":" of a drive on Windows).
bool namesIgnoreCase();
const char* pathSeparators();

// Whether `path` names an existing regular file, through a symbolic link.
bool isExistingFile(const char* path);

// Makes `folder` the current folder. False, with the system's reason in `error`, when it cannot.
bool changeFolder(const char* folder, std::string* error);

// The console the editor runs in, for keeping a window of its own open at the end of a run.
struct ConsoleFacts {
  // How many processes share the editor's console: 1 when the system opened the console for the
  // editor alone (it was started from Explorer and the window closes with it), more when the
  // editor runs in a console that was already open, 0 when it has none.
  unsigned long processCount = 0;
  bool inputIsConsole = false;   // standard input reads from that console
  bool outputIsConsole = false;  // standard output writes to it
};

// The facts about this process's console. On POSIX a terminal window always belongs to the
// shell or program that opened it, never to the editor: there the facts are all 0 and false.
ConsoleFacts consoleFacts();

// Makes std::cin read standard input through a buffer that waits for input not ready yet (a
// pipe or terminal left in non-blocking mode, as some front ends leave it) instead of taking it
// for the end: only a real end of the input, or a read error, ends it. Nothing on Windows.
void waitForInputNotReady();
// The system's reason when reading standard input failed; empty when it has not failed.
std::string inputError();

// Discards the keys typed ahead (answers meant for the run's prompts), then writes `prompt` to
// standard output and waits until the user presses Enter: an Enter pressed the moment the prompt
// appears is taken. Returns at once when standard input has ended or cannot be read.
void waitForEnter(const char* prompt);

}  // namespace platform
