#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

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

}  // namespace

void clearAttributes(const char* path) {
  struct stat info;
  if (::stat(path, &info) == 0 && S_ISREG(info.st_mode))
    ::chmod(path, (info.st_mode & 07777) | S_IWUSR);
}

std::FILE* openForReading(const char* path) {
  return wrap(openRegular(path, O_RDONLY, nullptr), "rb", nullptr);
}

std::FILE* createForWriting(const char* path, std::string* error) {
  struct stat info;
  if (::lstat(path, &info) == 0 && S_ISLNK(info.st_mode)) ::unlink(path);
  // O_NOFOLLOW: a link that appears after the check above is refused, not followed.
  return wrap(openRegular(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, error), "wb", error);
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

namespace {

FileStamp stampFrom(const struct stat& info) {
  FileStamp stamp;
  stamp.device = static_cast<std::uint64_t>(info.st_dev);
  stamp.fileId = static_cast<std::uint64_t>(info.st_ino);
  stamp.size = static_cast<std::uint64_t>(info.st_size);
  stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 +
                   static_cast<std::int64_t>(info.st_mtim.tv_nsec);
  return stamp;
}

}  // namespace

bool stampOf(std::FILE* file, FileStamp* stamp) {
  struct stat info;
  if (::fstat(::fileno(file), &info) != 0) return false;
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

void copyPermissions(const char* from, const char* to) {
  struct stat info;
  if (::stat(from, &info) == 0 && S_ISREG(info.st_mode)) ::chmod(to, info.st_mode & 07777);
}

bool replaceFile(const char* from, const char* to, std::string* error) {
  if (std::rename(from, to) != 0) {
    *error = lastErrorText();
    return false;
  }
  // The rename is an entry in the folder: syncing the folder makes it survive a power cut.
  const int folder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
  return true;
}

bool removeFile(const char* path) {
  return ::unlink(path) == 0;
}

std::string lastErrorText() {
  return std::strerror(errno);
}

}  // namespace platform

// The console the editor runs in.
namespace platform {

ConsoleFacts consoleFacts() {
  return ConsoleFacts{};
}

void waitForEnter() {
  // Straight from the file descriptor: what the editor's stream has buffered was typed earlier.
  char typed = 0;
  for (;;) {
    const ssize_t count = ::read(STDIN_FILENO, &typed, 1);
    if (count < 0 && errno == EINTR) continue;
    if (count != 1 || typed == '\n') return;
  }
}

}  // namespace platform
