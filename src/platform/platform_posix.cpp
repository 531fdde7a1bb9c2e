#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform {

namespace {

// Opens with O_NONBLOCK so that a pipe of that name cannot make us wait for a writer, accepts
// only regular files, then switches back to blocking I/O.
int openRegular(const char* path, int flags, std::string* error) {
  const int fd = ::open(path, flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (error) *error = lastErrorText();
    return -1;
  }
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (error) *error = "not a regular file";
    ::close(fd);
    return -1;
  }
  const int current = ::fcntl(fd, F_GETFL);
  if (current >= 0) ::fcntl(fd, F_SETFL, current & ~O_NONBLOCK);
  return fd;
}

std::FILE* wrap(int fd, const char* mode, std::string* error) {
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, mode);
  if (!file) {
    if (error) *error = lastErrorText();
    ::close(fd);
  }
  return file;
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Async-signal-safe: the stop handler calls it.
bool namesDescriptor(const char* path, int fd) {
  struct stat named;
  struct stat held;
  return ::lstat(path, &named) == 0 && ::fstat(fd, &held) == 0 && sameFile(named, held);
}

// What the stop handler needs; set once by stopOnRequest, before the handler is installed.
struct StopReport {
  int fd = -1;
  const char* file = nullptr;
  const char* toOutput = "";
  const char* before = "";
  const char* after = "";
};
StopReport stopReport;

// The requests to stop: Ctrl-C, a closed terminal, Ctrl-\ and the polite kill.
const struct {
  int number;
  const char* name;
} kStopSignals[] = {{SIGINT, "SIGINT"},
                    {SIGHUP, "SIGHUP"},
                    {SIGQUIT, "SIGQUIT"},
                    {SIGTERM, "SIGTERM"},
                    {SIGXCPU, "SIGXCPU (the CPU time limit)"}};

void writeText(int fd, const char* text) {
  ssize_t ignored = ::write(fd, text, std::strlen(text));
  static_cast<void>(ignored);
}

extern "C" void onStopSignal(int signalNumber) {
  if (stopReport.fd >= 0 && namesDescriptor(stopReport.file, stopReport.fd))
    ::unlink(stopReport.file);
  const char* name = "";
  for (const auto& stop : kStopSignals) {
    if (stop.number == signalNumber) name = stop.name;
  }
  writeText(STDOUT_FILENO, stopReport.toOutput);
  writeText(STDERR_FILENO, stopReport.before);
  writeText(STDERR_FILENO, name);
  const char* after = stopReport.after;
  // Within 79 columns: the line end that `after` ends with does not count.
  const char* blank = std::strchr(after, ' ');
  if (blank && std::strlen(stopReport.before) + std::strlen(name) + std::strlen(after) > 80) {
    ssize_t ignored = ::write(STDERR_FILENO, after, static_cast<std::size_t>(blank - after));
    static_cast<void>(ignored);
    writeText(STDERR_FILENO, "\n");
    after = blank + 1;
  }
  writeText(STDERR_FILENO, after);
  ::_exit(128 + signalNumber);
}

sigset_t stopSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (const auto& stop : kStopSignals)
    sigaddset(&set, stop.number);
  return set;
}

FileStamp stampFrom(const struct stat& info) {
  FileStamp stamp;
  stamp.device = static_cast<std::uint64_t>(info.st_dev);
  stamp.fileId = static_cast<std::uint64_t>(info.st_ino);
  stamp.size = static_cast<std::uint64_t>(info.st_size);
  stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 +
                   static_cast<std::int64_t>(info.st_mtim.tv_nsec);
  stamp.changed = static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 +
                  static_cast<std::int64_t>(info.st_ctim.tv_nsec);
  return stamp;
}

}  // namespace

void useUtf8Arguments(int*, char***) {
  // The words are the bytes the shell passed, as every name on POSIX is.
}

void prepareStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    // open() takes the lowest free descriptor, which is this one.
    const int opened = ::open("/dev/null", O_RDWR);
    if (opened >= 0 && opened != fd) ::close(opened);
  }
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
}

void holdStopRequests() {
  const sigset_t set = stopSignals();
  ::sigprocmask(SIG_BLOCK, &set, nullptr);
}

void stopOnRequest(Handle handle, const char* file, const char* toOutput, const char* before,
                   const char* after) {
  stopReport = StopReport{static_cast<int>(handle), file, toOutput, before, after};
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = onStopSignal;
  action.sa_mask = stopSignals();
  for (const auto& stop : kStopSignals)
    ::sigaction(stop.number, &action, nullptr);
  const sigset_t set = stopSignals();
  ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void askForEnterOnStop(const char*) {
  // A terminal window never closes with the editor.
}

void endOnStopRequest() {
  for (const auto& stop : kStopSignals)
    ::signal(stop.number, SIG_DFL);
  const sigset_t set = stopSignals();
  ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

bool streamGoesTo(Stream stream, const char* path) {
  struct stat file;
  struct stat written;
  const int fd = stream == Stream::output ? STDOUT_FILENO : STDERR_FILENO;
  return ::stat(path, &file) == 0 && ::fstat(fd, &written) == 0 && sameFile(file, written);
}

void clearAttributes(const char* path) {
  // Only when needed: a change of mode is a change of the file, which another editor that has it
  // open would take for another program's.
  struct stat info;
  if (::lstat(path, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 &&
      (info.st_mode & S_IWUSR) == 0)
    ::chmod(path, (info.st_mode & 07777) | S_IWUSR);
}

std::FILE* openForReading(const char* path) {
  return wrap(openRegular(path, O_RDONLY, nullptr), "rb", nullptr);
}

namespace {

enum class LockResult { locked, heldElsewhere, unavailable };

// Takes the lock of the file or folder open as `fd`. Only "would block" means that another
// process holds it: any other failure (EBADF where, as over NFS, an exclusive lock needs a
// descriptor open for writing; ENOLCK where the server keeps no locks) means that no lock can
// be had there.
LockResult lockExclusively(int fd) {
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return LockResult::locked;
  return errno == EWOULDBLOCK || errno == EAGAIN ? LockResult::heldElsewhere
                                                 : LockResult::unavailable;
}

// The folder the editor works in, locked by createLocked for the rest of the run; -1 when it
// could not be (a folder the user may not read, a file system without such locks).
int folderLock = -1;

// Locks the current folder for the run: another editor in it holds the same lock. False when
// another process holds it.
bool lockFolder() {
  const int fd = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;
  const LockResult result = lockExclusively(fd);
  if (result == LockResult::locked) {
    folderLock = fd;
    return true;
  }
  ::close(fd);
  return result != LockResult::heldElsewhere;
}

}  // namespace

std::FILE* letOthersSave(std::FILE* file) {
  // An open file keeps no program from replacing or removing it here.
  return file;
}

CreateResult createLocked(const char* path, std::FILE** file, Handle* lock, std::string* error) {
  // Two locks keep a second editor out: one on the folder, which no name can race, and one on
  // temp.cfg itself, for a folder that cannot be locked.
  if (!lockFolder()) return CreateResult::inUse;
  const bool folderLocked = folderLock >= 0;
  // temp.cfg is always a new file: one that is there is another editor's (it holds the lock) or
  // was left behind. A file left behind loses its name, never its bytes: it may have other names
  // (a hard link to handling.cfg, or a kept edit). A link of that name is removed, never followed.
  for (int attempt = 0; attempt < 100; ++attempt) {
    // Open for reading too: what was written is read back through the lock's handle.
    const int fd = ::open(path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) {
      *error = lastErrorText();
      return CreateResult::failed;
    }
    if (fd >= 0) {
      // Another editor may have taken the new file for one left behind, and removed it. Where
      // no lock can be had, the other guards remain: the file's name and the stamps.
      const bool held = lockExclusively(fd) == LockResult::heldElsewhere;
      if (held || !namesDescriptor(path, fd)) {
        ::close(fd);
        if (held) return CreateResult::inUse;
        continue;
      }
      const int second = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
      *file = second < 0 ? nullptr : wrap(fd, "wb", error);
      if (!*file) {
        if (second < 0) *error = lastErrorText();
        ::unlink(path);
        if (second >= 0) ::close(second);
        ::close(fd);
        return CreateResult::failed;
      }
      *lock = second;
      return CreateResult::created;
    }
    struct stat info;
    if (::lstat(path, &info) != 0) continue;
    if (S_ISDIR(info.st_mode)) {
      *error = std::strerror(EISDIR);
      return CreateResult::failed;
    }
    // The name goes while the lock is held, so that no other editor can take the file for its
    // own in between. Opened for writing where it may be, as locks over NFS need; reading is
    // enough elsewhere. Nothing is written.
    int probe = -1;
    if (S_ISREG(info.st_mode)) {
      probe = ::open(path, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
      if (probe < 0) probe = ::open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    }
    // Where no lock can be had, a file of that name is taken for one left behind: refusing
    // would refuse every run there for ever.
    if (probe >= 0 && lockExclusively(probe) == LockResult::heldElsewhere) {
      ::close(probe);
      return CreateResult::inUse;
    }
    // Without the folder's lock, only a file whose lock this run holds is surely left behind.
    if (probe < 0 && !folderLocked && S_ISREG(info.st_mode)) {
      *error = lastErrorText();
      return CreateResult::failed;
    }
    const bool stillThere = probe < 0 || namesDescriptor(path, probe);
    const bool removed = !stillThere || ::unlink(path) == 0 || errno == ENOENT;
    if (!removed) *error = lastErrorText();
    if (probe >= 0) ::close(probe);
    if (!removed) return CreateResult::failed;
  }
  *error = "it kept being replaced by another program";
  return CreateResult::failed;
}

bool namesFile(const char* path, Handle handle) {
  return namesDescriptor(path, static_cast<int>(handle));
}

void removeAndClose(const char* path, Handle handle) {
  if (handle == kNoHandle) return;
  if (namesFile(path, handle)) ::unlink(path);
  ::close(static_cast<int>(handle));
}

void release(Handle) {
  // An open file keeps no other program out here; the lock goes when the process ends.
}

void startWriteback(std::FILE* file) {
  // Linux's request; the editor's POSIX systems are Linux.
  ::sync_file_range(::fileno(file), 0, 0, SYNC_FILE_RANGE_WRITE);
}

bool flushToDisk(std::FILE* file, std::string* error) {
  if (std::fflush(file) != 0 || ::fsync(::fileno(file)) != 0) {
    *error = lastErrorText();
    return false;
  }
  return true;
}

bool readAt(Handle handle, std::uint64_t offset, char* buffer, std::size_t size, std::size_t* got,
            std::string* error) {
  for (;;) {
    const ssize_t count =
        ::pread(static_cast<int>(handle), buffer, size, static_cast<off_t>(offset));
    if (count >= 0) {
      *got = static_cast<std::size_t>(count);
      return true;
    }
    if (errno != EINTR) {
      *error = lastErrorText();
      return false;
    }
  }
}

bool stampOf(std::FILE* file, FileStamp* stamp) {
  return stampOf(static_cast<Handle>(::fileno(file)), stamp);
}

bool stampOf(Handle handle, FileStamp* stamp) {
  struct stat info;
  if (::fstat(static_cast<int>(handle), &info) != 0) return false;
  *stamp = stampFrom(info);
  return true;
}

bool stampOf(const char* path, FileStamp* stamp, std::string* error) {
  struct stat info;
  if (::stat(path, &info) != 0) {
    *error = lastErrorText();
    return false;
  }
  *stamp = stampFrom(info);
  return true;
}

Links linksOf(const char* path) {
  Links links;
  struct stat info;
  if (::lstat(path, &info) != 0) return links;
  if (S_ISLNK(info.st_mode)) {
    links.symbolic = true;
    char target[4096];
    const ssize_t length = ::readlink(path, target, sizeof target);
    if (length > 0) links.target.assign(target, static_cast<std::size_t>(length));
  } else {
    links.hard = info.st_nlink > 1;
  }
  return links;
}

void copyOwnerAndPermissions(const char* from, Handle handle) {
  struct stat info;
  if (::stat(from, &info) != 0 || !S_ISREG(info.st_mode)) return;
  const int fd = static_cast<int>(handle);
  // A user may give a file only a group they belong to, and only root may give it an owner.
  if (::fchown(fd, info.st_uid, info.st_gid) != 0) {
    const int ignored = ::fchown(fd, static_cast<uid_t>(-1), info.st_gid);
    static_cast<void>(ignored);
  }
  // After the owner: a change of owner clears the set-user-ID and set-group-ID bits.
  ::fchmod(fd, info.st_mode & 07777);
}

namespace {

// Whether a failed renameat2 says that the file system has no rename of that kind.
bool noSuchRename(int error) {
  return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// Whether a failed link() says that the file system has no hard links (exFAT, FAT).
bool noHardLinks(int error) {
  return error == EPERM || error == EOPNOTSUPP || error == EMLINK;
}

// Renames `from` to `to` unless `to` exists, where the file system has no rename that refuses
// to replace: a second name cannot replace a file either. Without hard links, the name is
// reserved by an exclusive create and the file renamed over the reservation, which is replaced
// only while it is still the one this run made.
int renameWithoutReplacing(const char* from, const char* to) {
  if (::link(from, to) == 0) {
    ::unlink(from);
    return 0;
  }
  if (!noHardLinks(errno)) return -1;
  const int reserved = ::open(to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (reserved < 0) return -1;
  int result = -1;
  errno = EEXIST;
  if (namesDescriptor(to, reserved)) result = std::rename(from, to);
  const int reason = errno;
  if (result != 0 && namesDescriptor(to, reserved)) ::unlink(to);
  ::close(reserved);
  errno = reason;
  return result;
}

}  // namespace

bool renameFile(Handle, const char* from, const char* to, bool replace, bool* exists,
                std::string* error) {
  *exists = false;
  int result = 0;
  if (replace) {
    result = std::rename(from, to);
  } else {
    result = ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
    if (result != 0 && noSuchRename(errno)) result = renameWithoutReplacing(from, to);
  }
  if (result != 0) {
    *exists = errno == EEXIST;
    *error = lastErrorText();
    return false;
  }
  syncFolder();
  return true;
}

namespace {

// Writes all of `size` bytes at `bytes` to `fd`.
bool writeAll(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t done = ::write(fd, bytes, size);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytes += done;
    size -= static_cast<std::size_t>(done);
  }
  return true;
}

// Makes `to`, a name no file has, a copy of the file `from` leads to, with its mode, owner (as
// far as the system allows) and times, forced to disk.
bool copyWhole(const char* from, const char* to, std::string* error) {
  const int source = openRegular(from, O_RDONLY, error);
  if (source < 0) return false;
  struct stat info;
  const int copy = ::fstat(source, &info) == 0
                       ? ::open(to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)
                       : -1;
  bool done = copy >= 0;
  std::vector<char> buffer(1 << 16);
  while (done) {
    const ssize_t got = ::read(source, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      done = got == 0;
      break;
    }
    done = writeAll(copy, buffer.data(), static_cast<std::size_t>(got));
  }
  if (done) {
    if (::fchown(copy, info.st_uid, info.st_gid) != 0) {
      const int ignored = ::fchown(copy, static_cast<uid_t>(-1), info.st_gid);
      static_cast<void>(ignored);
    }
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    done = ::fchmod(copy, info.st_mode & 07777) == 0 && ::futimens(copy, times) == 0 &&
           ::fsync(copy) == 0;
  }
  if (!done) *error = lastErrorText();
  if (copy >= 0 && ::close(copy) != 0 && done) {
    *error = lastErrorText();
    done = false;
  }
  ::close(source);
  return done;
}

}  // namespace

bool keepBackup(const char* path, const char* backup, const char* scratch, std::string* error) {
  // Only a file of that name that is no folder: what is left there is an earlier run's.
  struct stat info;
  if (::lstat(scratch, &info) == 0 && !S_ISDIR(info.st_mode)) ::unlink(scratch);
  const bool symbolic = ::lstat(path, &info) == 0 && S_ISLNK(info.st_mode);
  // A second name of a link would be the link; its target may change later.
  bool made = !symbolic && ::link(path, scratch) == 0;
  if (!made) {
    if (!symbolic && !noHardLinks(errno)) {
      *error = lastErrorText();
      return false;
    }
    made = copyWhole(path, scratch, error);
  }
  if (made && std::rename(scratch, backup) == 0) {
    // Where both names led to one file already, the rename left both.
    ::unlink(scratch);
    syncFolder();
    return true;
  }
  if (made) *error = lastErrorText();
  if (::lstat(scratch, &info) == 0 && !S_ISDIR(info.st_mode)) ::unlink(scratch);
  return false;
}

bool isHeldOpen(const char*) {
  // Open files never keep a name from being replaced here.
  return false;
}

std::string currentFolder() {
  std::string folder(4096, '\0');
  if (!::getcwd(folder.data(), folder.size())) return "";
  folder.resize(std::strlen(folder.c_str()));
  return folder;
}

std::string userTempFolder() {
  const char* const set = std::getenv("TMPDIR");
  std::string folder = set && *set == '/' ? set : "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

bool createNew(const char* path, std::FILE** file, Handle* handle, bool* exists,
               std::string* error) {
  *exists = false;
  const int fd = ::open(path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    *exists = errno == EEXIST;
    *error = lastErrorText();
    return false;
  }
  const int second = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
  *file = second < 0 ? nullptr : wrap(fd, "wb", error);
  if (!*file) {
    if (second < 0) {
      *error = lastErrorText();
      ::close(fd);
    } else {
      ::close(second);
    }
    ::unlink(path);
    return false;
  }
  *handle = second;
  return true;
}

ExchangeResult exchangeNames(const char* a, const char* b, std::string* error) {
  if (::renameat2(AT_FDCWD, a, AT_FDCWD, b, RENAME_EXCHANGE) != 0) {
    if (noSuchRename(errno)) return ExchangeResult::unsupported;
    *error = lastErrorText();
    return ExchangeResult::failed;
  }
  return ExchangeResult::exchanged;
}

void removeName(const char* path) {
  ::unlink(path);
}

void syncFolder() {
  // A name is an entry in the folder: syncing the folder makes it survive a power cut.
  const int folder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
}

std::string lastErrorText() {
  return std::strerror(errno);
}

ConsoleFacts consoleFacts() {
  return ConsoleFacts{};
}

namespace {

// errno of the read of standard input that failed; 0 while none has.
int inputErrno = 0;

// Standard input through a buffer of its own. A read that finds nothing there yet (EAGAIN, on a
// descriptor in non-blocking mode) waits until something comes, or the writer goes.
class PatientInput : public std::streambuf {
 protected:
  int_type underflow() override {
    for (;;) {
      const ssize_t count = ::read(STDIN_FILENO, buffer_, sizeof buffer_);
      if (count > 0) {
        setg(buffer_, buffer_, buffer_ + count);
        return traits_type::to_int_type(buffer_[0]);
      }
      if (count == 0) return traits_type::eof();
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) {
        inputErrno = errno;
        return traits_type::eof();
      }
      pollfd ready{STDIN_FILENO, POLLIN, 0};
      ::poll(&ready, 1, -1);
    }
  }

 private:
  char buffer_[1 << 16];
};

}  // namespace

void waitForInputNotReady() {
  // Never destroyed: the stream may be read while the process exits.
  static PatientInput* const input = new PatientInput;
  std::cin.rdbuf(input);
}

std::string inputError() {
  return inputErrno == 0 ? "" : std::strerror(inputErrno);
}

void waitForEnter(const char* prompt) {
  // A terminal window never closes with the editor, so nothing was typed ahead for this.
  if (::write(STDOUT_FILENO, prompt, std::strlen(prompt)) < 0) return;
  // Straight from the file descriptor: what the editor's stream has buffered was typed earlier.
  char typed = 0;
  for (;;) {
    const ssize_t count = ::read(STDIN_FILENO, &typed, 1);
    if (count < 0 && errno == EINTR) continue;
    if (count != 1 || typed == '\n') return;
  }
}

bool namesIgnoreCase() {
  return false;
}

const char* pathSeparators() {
  return "/";
}

bool isExistingFile(const char* path) {
  struct stat info;
  return ::stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

bool changeFolder(const char* folder, std::string* error) {
  if (::chdir(folder) == 0) return true;
  *error = lastErrorText();
  return false;
}

bool isTerminal(Stream stream) {
  return ::isatty(stream == Stream::output ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

void sleepMilliseconds(unsigned milliseconds) {
  ::usleep(static_cast<useconds_t>(milliseconds) * 1000);
}

}  // namespace platform
