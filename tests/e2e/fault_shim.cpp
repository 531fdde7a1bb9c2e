// Loaded into the editor with LD_PRELOAD by the fault tests, to make the system calls fail that
// no outside means can make fail on demand. VEHICLE_EDITOR_FAULT names the fault:
//   fsync, close   forcing temp.cfg to disk, or closing it, fails with EIO;
//   rename         putting temp.cfg in place fails with EIO;
//   read:N         the Nth and every later read of handling.cfg fails with EIO;
//   flock:nfs      locks behave as over NFS: an exclusive lock on a descriptor not open for
//                  writing fails with EBADF;
//   flock:none     no lock can be had at all (ENOLCK), as from an NFS server that keeps none;
//   spin           forcing temp.cfg to disk takes CPU time until a CPU time limit ends it;
// and, for the last instants of a run and for other file systems:
//   rewrite-temp   right before temp.cfg is forced to disk, another descriptor empties it and
//                  writes as many NUL bytes;
//   foreign-temp, append-temp, new-handling
//                  right before temp.cfg is first put in place (rename or name exchange),
//                  another program's file takes the name temp.cfg, a line is appended to
//                  temp.cfg, or another program saves a new handling.cfg;
//   no-links       as on exFAT: renameat2 knows no flags (EINVAL) and link() fails (EPERM);
//   no-ctime       as on exFAT: stat, fstat and lstat give the time of last write as the change
//                  time.
// The editor itself has no such seam and reads no environment variables.
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
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

bool names(int fd, const char* fileName) {
  char link[64];
  char target[4096];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t length = readlink(link, target, sizeof target - 1);
  if (length < 0) return false;
  target[length] = '\0';
  const std::size_t nameLength = std::strlen(fileName);
  const auto size = static_cast<std::size_t>(length);
  return size > nameLength && target[size - nameLength - 1] == '/' &&
         std::strcmp(target + size - nameLength, fileName) == 0;
}

const char* fault() {
  const char* name = std::getenv("VEHICLE_EDITOR_FAULT");
  return name ? name : "";
}

template <typename Function>
Function real(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

void beforeSync(int fd);

extern "C" int fsync(int fd) {
  if (std::strcmp(fault(), "spin") == 0 && names(fd, "temp.cfg")) {
    // Bounded, so that a run without the limit still ends.
    volatile unsigned long turns = 0;
    while (std::clock() < 60 * CLOCKS_PER_SEC)
      turns = turns + 1;
  }
  beforeSync(fd);
  if (std::strcmp(fault(), "fsync") == 0 && names(fd, "temp.cfg")) {
    errno = EIO;
    return -1;
  }
  return real<int (*)(int)>("fsync")(fd);
}

extern "C" int fclose(FILE* file) {
  const bool fail = std::strcmp(fault(), "close") == 0 && names(fileno(file), "temp.cfg");
  const int result = real<int (*)(FILE*)>("fclose")(file);
  if (!fail) return result;
  errno = EIO;
  return EOF;
}

void beforeReplacing(const char* from, const char* to, unsigned flags);

extern "C" int rename(const char* from, const char* to) {
  beforeReplacing(from, to, 0);
  if (std::strcmp(fault(), "rename") == 0) {
    errno = EIO;
    return -1;
  }
  return real<int (*)(const char*, const char*)>("rename")(from, to);
}

extern "C" std::size_t fread(void* buffer, std::size_t size, std::size_t count, FILE* file) {
  static long reads = 0;
  if (std::strncmp(fault(), "read:", 5) == 0 && names(fileno(file), "handling.cfg") &&
      ++reads >= std::atol(fault() + 5)) {
    file->_flags |= _IO_ERR_SEEN;  // what a failed read leaves: ferror() is true
    errno = EIO;
    return 0;
  }
  return real<std::size_t (*)(void*, std::size_t, std::size_t, FILE*)>("fread")(buffer, size, count,
                                                                                file);
}

extern "C" int flock(int fd, int operation) {
  const bool readOnly = (fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY;
  if (std::strcmp(fault(), "flock:none") == 0 ||
      (std::strcmp(fault(), "flock:nfs") == 0 && (operation & LOCK_EX) != 0 && readOnly)) {
    errno = std::strcmp(fault(), "flock:none") == 0 ? ENOLCK : EBADF;
    return -1;
  }
  return real<int (*)(int, int)>("flock")(fd, operation);
}

// The faults of the last instants of a run and of other file systems.
namespace {

bool is(const char* name) {
  return std::strcmp(fault(), name) == 0;
}

void writeWhole(const char* path, int flags, const std::string& bytes) {
  const int fd = open(path, O_WRONLY | O_CREAT | flags, 0644);
  if (fd < 0) return;
  ssize_t ignored = write(fd, bytes.data(), bytes.size());
  static_cast<void>(ignored);
  close(fd);
}

int realRename(const char* from, const char* to) {
  return real<int (*)(const char*, const char*)>("rename")(from, to);
}

void withCtimeAsMtime(int result, struct stat* info) {
  if (result == 0 && is("no-ctime")) info->st_ctim = info->st_mtim;
}

}  // namespace

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
  if (is("foreign-temp")) {
    writeWhole("foreign.tmp", O_TRUNC, "FOREIGN 1 2 3\r\n");
    realRename("foreign.tmp", "temp.cfg");
  } else if (is("append-temp")) {
    writeWhole("temp.cfg", O_APPEND, "APPENDED 1 2 3\r\n");
  } else if (is("new-handling")) {
    writeWhole("theirs.tmp", O_TRUNC, "RUMPO 1 2 3\r\n");
    realRename("theirs.tmp", "handling.cfg");
  }
}

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned flags) {
  beforeReplacing(from, to, flags);
  if ((flags != 0 && is("no-links")) || ((flags & RENAME_EXCHANGE) != 0 && is("rename"))) {
    errno = is("rename") ? EIO : EINVAL;
    return -1;
  }
  return real<int (*)(int, const char*, int, const char*, unsigned)>("renameat2")(
      fromFolder, from, toFolder, to, flags);
}

extern "C" int link(const char* from, const char* to) {
  if (is("no-links")) {
    errno = EPERM;
    return -1;
  }
  return real<int (*)(const char*, const char*)>("link")(from, to);
}

extern "C" int stat(const char* path, struct stat* info) {
  const int result = real<int (*)(const char*, struct stat*)>("stat")(path, info);
  withCtimeAsMtime(result, info);
  return result;
}

extern "C" int lstat(const char* path, struct stat* info) {
  const int result = real<int (*)(const char*, struct stat*)>("lstat")(path, info);
  withCtimeAsMtime(result, info);
  return result;
}

extern "C" int fstat(int fd, struct stat* info) {
  const int result = real<int (*)(int, struct stat*)>("fstat")(fd, info);
  withCtimeAsMtime(result, info);
  return result;
}
