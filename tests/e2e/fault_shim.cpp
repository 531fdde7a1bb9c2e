// Loaded into the editor with LD_PRELOAD by the fault tests, to make the system calls fail that
// no outside means can make fail on demand. VEHICLE_EDITOR_FAULT names the fault:
//   fsync, close   forcing temp.cfg to disk, or closing it, fails with EIO;
//   rename         putting temp.cfg in place fails with EIO;
//   read:N         the Nth and every later read of handling.cfg fails with EIO;
//   flock:nfs      locks behave as over NFS: an exclusive lock on a descriptor not open for
//                  writing fails with EBADF;
//   flock:none     no lock can be had at all (ENOLCK), as from an NFS server that keeps none;
//   spin           forcing temp.cfg to disk takes CPU time until a CPU time limit ends it.
// The editor itself has no such seam and reads no environment variables.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

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

extern "C" int fsync(int fd) {
  if (std::strcmp(fault(), "spin") == 0 && names(fd, "temp.cfg")) {
    // Bounded, so that a run without the limit still ends.
    volatile unsigned long turns = 0;
    while (std::clock() < 60 * CLOCKS_PER_SEC)
      turns = turns + 1;
  }
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

extern "C" int rename(const char* from, const char* to) {
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
