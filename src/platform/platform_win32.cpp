#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace platform {

namespace {

// The description the C library gives for the errno that matches a Windows error, so that
// messages read the same as on the other systems.
std::string describeWindowsError(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return std::strerror(ENOENT);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return std::strerror(EEXIST);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return std::strerror(EACCES);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::strerror(ENOSPC);
    default:
      return "Windows error " + std::to_string(code);
  }
}

bool isRegularFile(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

}  // namespace

void clearAttributes(const char* path) {
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
}

std::FILE* openForReading(const char* path) {
  if (!isRegularFile(GetFileAttributesA(path))) return nullptr;
  return std::fopen(path, "rb");
}

std::FILE* createForWriting(const char* path, std::string* error) {
  // Whatever file or link is there goes first, so that the new file is always a fresh regular
  // file: deleting a link removes the link itself, never its target. Then CREATE_NEW refuses
  // anything that reappeared in between instead of writing through it.
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      DeleteFileA(path);
    } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      RemoveDirectoryA(path);
    } else {
      *error = std::strerror(EISDIR);
      return nullptr;
    }
  }
  const HANDLE handle = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = describeWindowsError(GetLastError());
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  std::FILE* file = fd < 0 ? nullptr : _fdopen(fd, "wb");
  if (!file) {
    *error = lastErrorText();
    if (fd < 0) {
      CloseHandle(handle);
    } else {
      _close(fd);
    }
  }
  return file;
}

void startWriteback(std::FILE*) {
  // Windows has no request to start writing without waiting; FlushFileBuffers at the end does it.
}

bool flushToDisk(std::FILE* file, std::string* error) {
  if (std::fflush(file) != 0 || _commit(_fileno(file)) != 0) {
    *error = lastErrorText();
    return false;
  }
  return true;
}

namespace {

std::uint64_t join(DWORD high, DWORD low) {
  return (static_cast<std::uint64_t>(high) << 32) | low;
}

FileStamp stampFrom(DWORD sizeHigh, DWORD sizeLow, const FILETIME& lastWrite) {
  FileStamp stamp;
  stamp.size = join(sizeHigh, sizeLow);
  stamp.modified =
      static_cast<std::int64_t>(join(lastWrite.dwHighDateTime, lastWrite.dwLowDateTime));
  return stamp;
}

}  // namespace

// The file index is left out: a path can only be asked for its size and write time without
// opening the file, which another program may hold locked.
bool stampOf(std::FILE* file, FileStamp* stamp) {
  BY_HANDLE_FILE_INFORMATION info;
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &info)) return false;
  *stamp = stampFrom(info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime);
  return true;
}

bool stampOf(const char* path, FileStamp* stamp, std::string* error) {
  WIN32_FILE_ATTRIBUTE_DATA info;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &info)) {
    *error = describeWindowsError(GetLastError());
    return false;
  }
  *stamp = stampFrom(info.nFileSizeHigh, info.nFileSizeLow, info.ftLastWriteTime);
  return true;
}

void copyPermissions(const char*, const char*) {
  // Windows files carry no permission bits; the replacement keeps the folder's access rules.
}

bool replaceFile(const char* from, const char* to, std::string* error) {
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  *error = describeWindowsError(GetLastError());
  return false;
}

bool removeFile(const char* path) {
  return DeleteFileA(path) != 0;
}

std::string lastErrorText() {
  return std::strerror(errno);
}

}  // namespace platform

// The console the editor runs in.
namespace platform {

ConsoleFacts consoleFacts() {
  ConsoleFacts facts;
  // With a list too short for all of them, the function still returns how many there are.
  DWORD processes[2];
  facts.processCount = GetConsoleProcessList(processes, 2);
  DWORD mode = 0;
  facts.inputIsConsole = GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
  facts.outputIsConsole = GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
  return facts;
}

void waitForEnter() {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  // Keys pressed before this point were meant for the run's prompts. The C library's buffer,
  // which may still hold the end of the last answer's line, is passed by as well.
  FlushConsoleInputBuffer(input);
  char typed = 0;
  DWORD count = 0;
  while (ReadConsoleA(input, &typed, 1, &count, nullptr) && count == 1 && typed != '\r' &&
         typed != '\n') {
    continue;
  }
}

}  // namespace platform
