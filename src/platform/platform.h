// The few file operations that differ between POSIX and Windows. The rest of the editor is
// portable C++17 and reaches the operating system only through these functions.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace platform {

// Makes an existing file writable so that it can be replaced later: on Windows clears its
// read-only, hidden and system attributes, on POSIX adds write permission for its owner.
// Failures are ignored; a file that stays locked shows up when it is replaced.
void clearAttributes(const char* path);

// Opens `path` for reading in binary mode. Returns nullptr when it is missing, unreadable or
// not a regular file (a directory or a pipe of that name is refused without blocking).
std::FILE* openForReading(const char* path);

// Creates `path` as an empty regular file open for writing in binary mode, emptying a regular
// file of that name. A symbolic link of that name is removed first and never followed.
// Returns nullptr and sets `error` to the system's reason on failure.
std::FILE* createForWriting(const char* path, std::string* error);

// Asks the system to start writing what `file` holds to the disk, without waiting for it.
void startWriteback(std::FILE* file);

// Hands everything `file` has buffered to the system and forces it to the disk.
// Returns false and sets `error` when either step fails.
bool flushToDisk(std::FILE* file, std::string* error);

// What tells one state of a file from another: which file it is (where the system says so), its
// size and the time of its last change. Two equal stamps mean nobody changed the file between.
struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t fileId = 0;
  std::uint64_t size = 0;
  std::int64_t modified = 0;

  bool operator==(const FileStamp& other) const {
    return device == other.device && fileId == other.fileId && size == other.size &&
           modified == other.modified;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// The stamp of the open `file`. False when it cannot be read.
bool stampOf(std::FILE* file, FileStamp* stamp);
// The stamp of the file named `path`; false with the system's reason in `error` when there is
// none to read (for instance "No such file or directory").
bool stampOf(const char* path, FileStamp* stamp, std::string* error);

// Gives `to` the permission bits of `from` where the system has them. Best effort.
void copyPermissions(const char* from, const char* to);

// Puts the file `from` in the place of `to` in one atomic step, replacing `to` when it exists,
// and makes the change survive a power cut. On failure both names are as they were and `error`
// holds the system's reason.
bool replaceFile(const char* from, const char* to, std::string* error);

// Removes the file `path`; never removes a directory. Returns false when it could not.
bool removeFile(const char* path);

// The system's description of the C library's last error (errno).
std::string lastErrorText();

}  // namespace platform

// The console the editor runs in, for keeping a window of its own open at the end of a run.
namespace platform {

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

// Waits until the user presses Enter. Answers typed ahead are not taken for it; returns at once
// when standard input has ended or cannot be read.
void waitForEnter();

}  // namespace platform
