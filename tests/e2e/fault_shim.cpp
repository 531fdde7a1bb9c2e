// Loaded into the editor with LD_PRELOAD by the fault tests, to make the system calls fail that
// no outside means can make fail on demand, or to do what another program or the user would do
// at an exact moment. VEHICLE_EDITOR_FAULT names the fault:
//   fsync, close   forcing temp.cfg to disk, or closing it, fails with EIO;
//   rename         putting temp.cfg in place fails with EIO;
//   rename-backup  giving the kept old file the name handling.cfg.bak fails with EIO;
//   write-backup   writing a copy of the old file (where there are no hard links) fails with EIO;
//   read-copy      reading the old file for that copy fails with EIO;
//   read:N         the Nth and every later read of handling.cfg fails with EIO;
//   append:N       right after the Nth read of handling.cfg, another program appends kAppended
//                  to it;
//   grow-temp      another program appends to temp.cfg just before the editor forces it to disk;
//   stop-at-temp   Ctrl-C (SIGINT) comes the moment temp.cfg has been created;
//   utf16-at-temp  another program saves handling.cfg as UTF-16 the moment temp.cfg has been
//                  created;
//   stop-at-rename Ctrl-C comes the moment a rename has put a file under handling.cfg;
//   log:PATH       every call on the game folder (the current one) is written to PATH, one a
//                  line: open, read, write with its bytes, sync, rename, link, unlink, truncate,
//                  close, owner and mode changes ("meta"), and "said" when standard output gets
//                  "Everything sucessfully done" or a change line ("... old -> new");
//   kill:N:SIG     signal SIG comes right after the Nth of the calls that log: would write;
//   flock:nfs      locks behave as over NFS: an exclusive lock on a descriptor not open for
//                  writing fails with EBADF;
//   flock:none     no lock can be had at all (ENOLCK), as from an NFS server that keeps none;
//   input-eio      every read of standard input fails with EIO;
//   spin           forcing temp.cfg to disk takes CPU time until a CPU time limit ends it;
// and, for the last instants of a run and for other file systems:
//   rewrite-temp   right before temp.cfg is forced to disk, another descriptor empties it and
//                  writes as many NUL bytes;
//   foreign-temp, append-temp
//                  once the editor has given temp.cfg handling.cfg's owner and mode, right
//                  before its last look at temp.cfg: another program's file takes the name
//                  temp.cfg, or a line is appended to temp.cfg;
//   new-handling, append-backup
//                  right before temp.cfg is first put in place (rename or name exchange),
//                  another program saves a new handling.cfg, or a line is appended to
//                  handling.cfg.bak;
//   exchanged:mv, exchanged:append, exchanged:rm
//                  right after the names are exchanged (the editor descheduled there), another
//                  program saves its own handling.cfg (kTheirs), appends kAppended to
//                  handling.cfg, or removes it;
//   no-links       as on exFAT: renameat2 knows no flags (EINVAL) and link() fails (EPERM);
//   no-ctime       as on exFAT: stat, fstat and lstat give the time of last write as the change
//                  time.
// Faults may be combined, separated by commas, such as "no-links,log:PATH"; log and kill last.
// The editor itself has no such seam and reads no environment variables.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace {

// What append:N adds to handling.cfg; the tests expect these bytes.
constexpr const char kAppended[] = "ANOTHER 1 2 3\r\n";
// The handling.cfg another program saves in new-handling and exchanged:mv.
constexpr const char kTheirs[] = "RUMPO 1 2 3\r\n";

// The path of the file `fd` is open on; empty when unknown.
const char* pathOf(int fd, char (&target)[4096]) {
  char link[64];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t length = readlink(link, target, sizeof target - 1);
  target[length < 0 ? 0 : length] = '\0';
  return target;
}

bool names(int fd, const char* fileName) {
  char target[4096];
  const std::size_t size = std::strlen(pathOf(fd, target));
  const std::size_t nameLength = std::strlen(fileName);
  return size > nameLength && target[size - nameLength - 1] == '/' &&
         std::strcmp(target + size - nameLength, fileName) == 0;
}

const char* fault() {
  const char* name = std::getenv("VEHICLE_EDITOR_FAULT");
  return name ? name : "";
}
// Several faults may be named, separated by commas; log:PATH, kill:N:SIG last.
bool is(const char* name) {
  const std::size_t length = std::strlen(name);
  for (const char* item = fault(); item;
       item = std::strchr(item, ',') ? std::strchr(item, ',') + 1 : nullptr) {
    if (std::strncmp(item, name, length) == 0 && (item[length] == '\0' || item[length] == ','))
      return true;
  }
  return false;
}
// The text after `prefix` when a fault starts with it, else nullptr.
const char* after(const char* prefix) {
  const std::size_t length = std::strlen(prefix);
  for (const char* item = fault(); item;
       item = std::strchr(item, ',') ? std::strchr(item, ',') + 1 : nullptr) {
    if (std::strncmp(item, prefix, length) == 0) return item + length;
  }
  return nullptr;
}

template <typename Function>
Function real(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
#define REAL(name) real<decltype(&name)>(#name)

// Descriptors open on the game folder or a file in it, which the log and kill modes follow.
constexpr int kMaxFd = 1024;
bool followed[kMaxFd];
bool isFollowed(int fd) {
  return fd >= 0 && fd < kMaxFd && followed[fd];
}
// A bare name is one in the game folder: the editor names its files so.
bool inFolder(const char* name) {
  return std::strchr(name, '/') == nullptr;
}

void writeAll(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t done = REAL(write)(fd, bytes, size);
    if (done <= 0) return;
    bytes += done;
    size -= static_cast<std::size_t>(done);
  }
}

// One call on the game folder, with the bytes it wrote if any.
void note(const char* text, const void* bytes = nullptr, std::size_t size = 0) {
  static long calls = 0;
  ++calls;
  if (const char* path = after("log:")) {
    static int log = -1;
    if (log < 0) log = REAL(open)(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    writeAll(log, text, std::strlen(text));
    char hex[8192];
    std::size_t used = 0;
    for (std::size_t i = 0; i < size; ++i) {
      if (i == 0) hex[used++] = ' ';
      const unsigned byte = static_cast<const unsigned char*>(bytes)[i];
      hex[used++] = "0123456789abcdef"[byte >> 4];
      hex[used++] = "0123456789abcdef"[byte & 15];
      if (used + 2 >= sizeof hex || i + 1 == size) writeAll(log, hex, used), used = 0;
    }
    writeAll(log, "\n", 1);
  } else if (const char* moment = after("kill:")) {
    char* signal = nullptr;
    if (std::strtol(moment, &signal, 10) == calls && *signal == ':') raise(std::atoi(signal + 1));
  }
}

void noteFd(const char* call, int fd) {
  if (!isFollowed(fd)) return;
  char text[64];
  std::snprintf(text, sizeof text, "%s %d", call, fd);
  note(text);
}

void noteWrite(int fd, long offset, const void* bytes, long size) {
  if (!isFollowed(fd) || size <= 0) return;
  char text[96];
  std::snprintf(text, sizeof text, "write %d %ld", fd, offset);
  note(text, bytes, static_cast<std::size_t>(size));
}

void noteNames(const char* call, const char* from, const char* to, unsigned flags = 0) {
  if (!inFolder(from) || !inFolder(to)) return;
  char text[8400];
  std::snprintf(text, sizeof text, "%s %s %s %u", call, from, to, flags);
  note(text);
  if (is("stop-at-rename") && std::strcmp(call, "rename") == 0 &&
      (std::strcmp(to, "handling.cfg") == 0 || std::strcmp(from, "handling.cfg") == 0))
    raise(SIGINT);
}

// Follows `fd` when it is open on the game folder or a file in it.
int opened(int fd, int flags, bool existed) {
  if (fd < 0 || fd >= kMaxFd) return fd;
  char cwd[4096];
  char target[4096];
  if (!getcwd(cwd, sizeof cwd)) return fd;
  const std::size_t length = std::strlen(cwd);
  pathOf(fd, target);
  const bool isFolder = std::strcmp(target, cwd) == 0;
  if (!isFolder && !(std::strncmp(target, cwd, length) == 0 && target[length] == '/' &&
                     inFolder(target + length + 1)))
    return fd;
  followed[fd] = true;
  struct stat info {};
  fstat(fd, &info);
  const bool created = (flags & O_CREAT) != 0 && !existed;
  char text[4200];
  std::snprintf(text, sizeof text, "open %d %lu %d %d %d %s", fd,
                static_cast<unsigned long>(info.st_ino), created ? 1 : 0,
                (flags & O_TRUNC) != 0 ? 1 : 0, isFolder ? 1 : 0,
                isFolder ? "." : target + length + 1);
  note(text);
  if (created && is("stop-at-temp") && names(fd, "temp.cfg")) raise(SIGINT);
  if (created && is("utf16-at-temp") && names(fd, "temp.cfg")) {
    const int other = REAL(open)("handling.cfg", O_WRONLY | O_TRUNC | O_CLOEXEC, 0);
    writeAll(other, "\xFF\xFER\0", 4);
    REAL(close)(other);
  }
  return fd;
}

int openAt(int folder, const char* path, int flags, mode_t mode) {
  struct stat info {};
  const bool existed = fstatat(folder, path, &info, AT_SYMLINK_NOFOLLOW) == 0;
  return opened(REAL(openat)(folder, path, flags, mode), flags, existed);
}

void writeWhole(const char* path, int flags, const std::string& bytes) {
  const int fd = REAL(open)(path, O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0644);
  if (fd < 0) return;
  writeAll(fd, bytes.data(), bytes.size());
  REAL(close)(fd);
}

void beforeSync(int fd) {
  struct stat info;
  if (!is("rewrite-temp") || !names(fd, "temp.cfg") || fstat(fd, &info) != 0) return;
  writeWhole("temp.cfg", O_TRUNC, std::string(static_cast<std::size_t>(info.st_size), '\0'));
}

void beforeReplacing(const char* from, const char* to, unsigned flags) {
  static bool done = false;
  const bool replacing =
      (flags & RENAME_EXCHANGE) != 0 ||
      (flags == 0 && std::strcmp(from, "temp.cfg") == 0 && std::strcmp(to, "handling.cfg") == 0);
  if (done || !replacing) return;
  done = true;
  if (is("new-handling")) {
    writeWhole("theirs.tmp", O_TRUNC, kTheirs);
    REAL(rename)("theirs.tmp", "handling.cfg");
  } else if (is("append-backup")) {
    writeWhole("handling.cfg.bak", O_APPEND, "APPENDED 1 2 3\r\n");
  }
}

void afterMeta(int fd) {
  static bool done = false;
  if (done || !names(fd, "temp.cfg")) return;
  done = true;
  if (is("foreign-temp")) {
    writeWhole("foreign.tmp", O_TRUNC, "FOREIGN 1 2 3\r\n");
    REAL(rename)("foreign.tmp", "temp.cfg");
  } else if (is("append-temp")) {
    writeWhole("temp.cfg", O_APPEND, "APPENDED 1 2 3\r\n");
  }
}

void afterExchange(unsigned flags) {
  static bool done = false;
  const char* action = after("exchanged:");
  if (done || (flags & RENAME_EXCHANGE) == 0 || !action) return;
  done = true;
  if (std::strcmp(action, "mv") == 0) {
    writeWhole("theirs.tmp", O_TRUNC, kTheirs);
    REAL(rename)("theirs.tmp", "handling.cfg");
  } else if (std::strcmp(action, "append") == 0) {
    writeWhole("handling.cfg", O_APPEND, kAppended);
  } else if (std::strcmp(action, "rm") == 0) {
    REAL(unlink)("handling.cfg");
  }
}

void withCtimeAsMtime(int result, struct stat* info) {
  if (result == 0 && is("no-ctime")) info->st_ctim = info->st_mtim;
}

mode_t modeArgument(int flags, va_list arguments) {
  return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

}  // namespace

extern "C" int open(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = modeArgument(flags, arguments);
  va_end(arguments);
  return openAt(AT_FDCWD, path, flags, mode);
}
extern "C" int open64(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = modeArgument(flags, arguments);
  va_end(arguments);
  return openAt(AT_FDCWD, path, flags, mode);
}
extern "C" int openat(int folder, const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = modeArgument(flags, arguments);
  va_end(arguments);
  return openAt(folder, path, flags, mode);
}

extern "C" ssize_t read(int fd, void* buffer, std::size_t size) {
  if (fd == STDIN_FILENO && is("input-eio")) {
    errno = EIO;
    return -1;
  }
  if (is("read-copy") && names(fd, "handling.cfg")) {
    errno = EIO;
    return -1;
  }
  return REAL(read)(fd, buffer, size);
}

extern "C" ssize_t write(int fd, const void* bytes, std::size_t size) {
  if (is("write-backup") && names(fd, "handling.cfg.bak.tmp")) {
    errno = EIO;
    return -1;
  }
  const long offset = isFollowed(fd) ? lseek(fd, 0, SEEK_CUR) : 0;
  const ssize_t done = REAL(write)(fd, bytes, size);
  noteWrite(fd, offset, bytes, done);
  return done;
}
extern "C" ssize_t pwrite(int fd, const void* bytes, std::size_t size, off_t offset) {
  const ssize_t done = REAL(pwrite)(fd, bytes, size, offset);
  noteWrite(fd, offset, bytes, done);
  return done;
}
extern "C" std::size_t fwrite(const void* bytes, std::size_t size, std::size_t count, FILE* file) {
  const int fd = fileno(file);
  // The editor's stream on temp.cfg has no buffer of its own: its bytes go where the file stands.
  const long offset = isFollowed(fd) ? lseek(fd, 0, SEEK_CUR) : 0;
  const std::size_t done = REAL(fwrite)(bytes, size, count, file);
  if (fd == STDOUT_FILENO && (memmem(bytes, size * count, "sucessfully done", 16) ||
                              memmem(bytes, size * count, " -> ", 4)))
    note("said");
  noteWrite(fd, offset, bytes, static_cast<long>(done * size));
  return done;
}

extern "C" int fsync(int fd) {
  if (is("spin") && names(fd, "temp.cfg")) {
    // Bounded, so that a run without the limit still ends.
    volatile unsigned long turns = 0;
    while (std::clock() < 60 * CLOCKS_PER_SEC)
      turns = turns + 1;
  }
  beforeSync(fd);
  if (is("fsync") && names(fd, "temp.cfg")) {
    errno = EIO;
    return -1;
  }
  if (is("grow-temp") && names(fd, "temp.cfg")) {
    const int other = REAL(open)("temp.cfg", O_WRONLY | O_APPEND | O_CLOEXEC, 0);
    writeAll(other, "another program's bytes\r\n", 25);
    REAL(close)(other);
  }
  const int result = REAL(fsync)(fd);
  noteFd("sync", fd);
  return result;
}
extern "C" int flock(int fd, int operation) {
  const bool readOnly = (fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY;
  if (is("flock:none") || (is("flock:nfs") && (operation & LOCK_EX) != 0 && readOnly)) {
    errno = is("flock:none") ? ENOLCK : EBADF;
    return -1;
  }
  return REAL(flock)(fd, operation);
}

extern "C" int fdatasync(int fd) {
  const int result = REAL(fdatasync)(fd);
  noteFd("sync", fd);
  return result;
}

extern "C" int ftruncate(int fd, off_t length) {
  const int result = REAL(ftruncate)(fd, length);
  if (result == 0 && isFollowed(fd)) {
    char text[64];
    std::snprintf(text, sizeof text, "truncate %d %ld", fd, static_cast<long>(length));
    note(text);
  }
  return result;
}

extern "C" int fchmod(int fd, mode_t mode) {
  const int result = REAL(fchmod)(fd, mode);
  noteFd("meta", fd);
  afterMeta(fd);
  return result;
}
extern "C" int fchown(int fd, uid_t owner, gid_t group) {
  const int result = REAL(fchown)(fd, owner, group);
  noteFd("meta", fd);
  return result;
}

extern "C" int close(int fd) {
  noteFd("close", fd);
  if (isFollowed(fd)) followed[fd] = false;
  return REAL(close)(fd);
}
extern "C" int fclose(FILE* file) {
  const int fd = fileno(file);
  const bool fail = is("close") && names(fd, "temp.cfg");
  noteFd("close", fd);
  if (isFollowed(fd)) followed[fd] = false;
  const int result = REAL(fclose)(file);
  if (!fail) return result;
  errno = EIO;
  return EOF;
}

extern "C" int rename(const char* from, const char* to) {
  beforeReplacing(from, to, 0);
  if ((is("rename") && std::strcmp(from, "temp.cfg") == 0) ||
      (is("rename-backup") && std::strcmp(to, "handling.cfg.bak") == 0)) {
    errno = EIO;
    return -1;
  }
  const int result = REAL(rename)(from, to);
  if (result == 0) noteNames("rename", from, to);
  return result;
}
extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned flags) {
  beforeReplacing(from, to, flags);
  if ((flags != 0 && is("no-links")) || ((flags & RENAME_EXCHANGE) != 0 && is("rename"))) {
    errno = is("rename") ? EIO : EINVAL;
    return -1;
  }
  const int result = REAL(renameat2)(fromFolder, from, toFolder, to, flags);
  if (result == 0) noteNames("rename", from, to, flags);
  if (result == 0) afterExchange(flags);
  return result;
}
extern "C" int link(const char* from, const char* to) {
  if (is("no-links")) {
    errno = EPERM;
    return -1;
  }
  const int result = REAL(link)(from, to);
  if (result == 0) noteNames("link", from, to);
  return result;
}
extern "C" int unlink(const char* name) {
  const int result = REAL(unlink)(name);
  if (result == 0) noteNames("unlink", name, ".");
  return result;
}
extern "C" int unlinkat(int folder, const char* name, int flags) {
  const int result = REAL(unlinkat)(folder, name, flags);
  if (result == 0) noteNames("unlink", name, ".");
  return result;
}

extern "C" std::size_t fread(void* buffer, std::size_t size, std::size_t count, FILE* file) {
  static long reads = 0;
  const bool handling = names(fileno(file), "handling.cfg");
  if (handling) ++reads;
  if (const char* from = after("read:")) {
    if (handling && reads >= std::atol(from)) {
      file->_flags |= _IO_ERR_SEEN;  // what a failed read leaves: ferror() is true
      errno = EIO;
      return 0;
    }
  }
  const std::size_t done = REAL(fread)(buffer, size, count, file);
  noteFd("read", fileno(file));
  if (const char* at = after("append:")) {
    if (handling && reads == std::atol(at)) {
      const int other = REAL(open)("handling.cfg", O_WRONLY | O_APPEND | O_CLOEXEC, 0);
      writeAll(other, kAppended, sizeof kAppended - 1);
      REAL(close)(other);
    }
  }
  return done;
}

extern "C" int stat(const char* path, struct stat* info) {
  const int result = REAL(stat)(path, info);
  withCtimeAsMtime(result, info);
  return result;
}
extern "C" int lstat(const char* path, struct stat* info) {
  const int result = REAL(lstat)(path, info);
  withCtimeAsMtime(result, info);
  return result;
}
extern "C" int fstat(int fd, struct stat* info) {
  const int result = REAL(fstat)(fd, info);
  withCtimeAsMtime(result, info);
  return result;
}
