#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform {

namespace {

// `utf8` in UTF-16, as the "...W" functions of Windows take it; empty when it is not UTF-8.
std::wstring wideText(const char* utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), length);
  wide.resize(static_cast<std::size_t>(length - 1));
  return wide;
}

}  // namespace

// widePath: the one conversion of the editor's paths (UTF-8 inside the program) for the "...W"
// functions of Windows, which take every name a folder may have, in any script.
std::wstring widePath(const char* utf8) {
  std::wstring wide = wideText(utf8);
  // An absolute path as long as the old limit of 260 characters (248 for a folder) reaches its
  // file only with the prefix \\?\, which also turns off the system's own tidying of the path
  // (separators, "." and ".."): that is done here first.
  const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  const bool drive = wide.size() >= 3 && wide[1] == L':' && separator(wide[2]);
  const bool share = wide.size() >= 2 && separator(wide[0]) && separator(wide[1]);
  if (!(drive || share) || wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\?\\", 0) == 0)
    return wide;
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return wide;
  std::wstring full(size, L'\0');
  const DWORD got = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (got == 0 || got >= size) return wide;
  full.resize(got);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

namespace {

// `wide` in UTF-8, as the program holds every text.
std::string utf8Of(const wchar_t* wide, int length = -1) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, length, text.data(), size, nullptr, nullptr);
  if (length < 0) text.resize(static_cast<std::size_t>(size - 1));
  return text;
}

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

HANDLE asHandle(Handle handle) {
  return reinterpret_cast<HANDLE>(handle);
}

// Opens `path` only to ask about it: that access is granted whatever sharing other programs
// allow. A link of that name is asked about itself unless `followLink`.
HANDLE openToAsk(const char* path, bool followLink = false) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  return CreateFileW(widePath(path).c_str(), FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     flags, nullptr);
}

// While a run holds temp.cfg: a named object that stands for "a vehicle-editor is at work in this
// folder", so that a temp.cfg that another editor holds can be told from one that some other
// program has open.
HANDLE folderClaim = nullptr;

enum class Claim { taken, byAnotherEditor, unknown };

// Claims the current folder for this run, by the volume and number of the folder itself, which
// every name of it shares.
Claim claimFolder() {
  const HANDLE folder = CreateFileW(L".", FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return Claim::unknown;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(folder, &info) != 0;
  CloseHandle(folder);
  if (!known) return Claim::unknown;
  wchar_t name[96];
  std::swprintf(name, sizeof name / sizeof name[0], L"Global\\vehicle-editor-%08lx-%08lx%08lx",
                info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow);
  const HANDLE claim = CreateMutexW(nullptr, FALSE, name);
  const DWORD code = GetLastError();
  if (claim && code != ERROR_ALREADY_EXISTS) {
    folderClaim = claim;
    return Claim::taken;
  }
  if (claim) CloseHandle(claim);
  // Made by an editor of another user, whose object this user may not open.
  if (claim || code == ERROR_ACCESS_DENIED) return Claim::byAnotherEditor;
  return Claim::unknown;
}

void releaseFolder() {
  if (folderClaim) CloseHandle(folderClaim);
  folderClaim = nullptr;
}

bool deleteOnClose(HANDLE handle) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                    sizeof disposition) != 0;
}

// Whether `code` is how Windows refuses a file that another program (a virus scanner, a search
// indexer, a backup or sync client) has open for a moment.
bool isBriefHold(DWORD code) {
  return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION ||
         code == ERROR_LOCK_VIOLATION;
}

// Runs `attempt` until it succeeds, or fails for another reason than a brief hold, or the holds
// have been waited out for about two seconds in all: 10, 20, 40, ... ms between the attempts.
// The last error is left for GetLastError.
template <typename Attempt>
bool retryWhileHeld(Attempt attempt) {
  DWORD waited = 0;
  DWORD pause = 10;
  constexpr DWORD kLongestWait = 2000;
  for (;;) {
    if (attempt()) return true;
    const DWORD code = GetLastError();
    if (!isBriefHold(code) || waited >= kLongestWait) {
      SetLastError(code);
      return false;
    }
    if (pause > kLongestWait - waited) pause = kLongestWait - waited;
    Sleep(pause);
    waited += pause;
    pause *= 2;
  }
}

// What the console event handler needs; set once by stopOnRequest, which the handler waits for.
struct StopReport {
  HANDLE handle = INVALID_HANDLE_VALUE;
  const char* toOutput = "";
  const char* before = "";
  const char* after = "";
};
StopReport stopReport;
// Set by askForEnterOnStop: what a stopped run writes before it waits for Enter.
const char* volatile stopPrompt = nullptr;
// The thread that runs the editor, whose read at a prompt must not take that Enter.
HANDLE mainThread = nullptr;
// Set by that thread once a request to stop has stopped it for good (in holdStopRequests): from
// then on no read of the run's is pending or will be, and every key is the handler's.
HANDLE runParked = nullptr;

// Where the run stands for the console event handler, which runs on a thread of its own.
enum : LONG { kWorking, kStopping, kHolding };
volatile LONG runPhase = kWorking;

// Writes `text` with each line end as CR LF, as the C library writes the editor's other lines.
void writeText(DWORD stream, const char* text) {
  const HANDLE handle = GetStdHandle(stream);
  DWORD written = 0;
  for (const char* lineEnd = std::strchr(text, '\n'); lineEnd; lineEnd = std::strchr(text, '\n')) {
    WriteFile(handle, text, static_cast<DWORD>(lineEnd - text), &written, nullptr);
    WriteFile(handle, "\r\n", 2, &written, nullptr);
    text = lineEnd + 1;
  }
  WriteFile(handle, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

// Reads the console's keys until Enter; returns at once when it cannot be read.
void readUntilEnter(HANDLE input) {
  wchar_t typed = 0;
  DWORD count = 0;
  while (ReadConsoleW(input, &typed, 1, &count, nullptr) && count == 1 && typed != L'\r' &&
         typed != L'\n') {
    continue;
  }
}

// Ends a console read at a prompt that the run may still have pending, as Ctrl-C itself does on
// Windows: the read is cancelled, and where that does not reach it, a line typed for it that holds
// only Ctrl-Z reads as the end of the input in the C library. Whatever the read did not take is
// discarded by waitForEnter.
void endPendingRead() {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  CancelIoEx(input, nullptr);
  if (mainThread) CancelSynchronousIo(mainThread);
  INPUT_RECORD keys[4] = {};
  const WORD codes[2] = {'Z', VK_RETURN};
  const wchar_t typed[2] = {L'\x1a', L'\r'};
  for (int i = 0; i < 4; ++i) {
    KEY_EVENT_RECORD& key = keys[i].Event.KeyEvent;
    keys[i].EventType = KEY_EVENT;
    key.bKeyDown = i % 2 == 0;
    key.wRepeatCount = 1;
    key.wVirtualKeyCode = codes[i / 2];
    key.uChar.UnicodeChar = typed[i / 2];
    key.dwControlKeyState = i < 2 ? LEFT_CTRL_PRESSED : 0;
  }
  DWORD written = 0;
  WriteConsoleInputW(input, keys, 4, &written);
}

BOOL WINAPI onConsoleEvent(DWORD event) {
  const char* name = nullptr;
  UINT status = 0;
  switch (event) {
    case CTRL_C_EVENT:
      name = "Ctrl-C";
      status = 130;
      break;
    case CTRL_BREAK_EVENT:
      name = "Ctrl-Break";
      status = 128 + SIGBREAK;
      break;
    case CTRL_CLOSE_EVENT:
      name = "the closing of the console";
      status = 129;
      break;
    default:
      return FALSE;
  }
  for (;;) {
    const LONG phase = InterlockedCompareExchange(&runPhase, kStopping, kWorking);
    if (phase == kWorking) break;
    // Another event is ending the run already.
    if (phase == kStopping) return TRUE;
    // Held: wait until start-up is done, or until the run ends by itself. A closed console
    // ends the process when this returns, so this must not return first.
    Sleep(10);
  }
  if (stopReport.handle != INVALID_HANDLE_VALUE) deleteOnClose(stopReport.handle);
  writeText(STD_OUTPUT_HANDLE, stopReport.toOutput);
  writeText(STD_ERROR_HANDLE, stopReport.before);
  writeText(STD_ERROR_HANDLE, name);
  // Within 79 columns: the line end that `after` ends with does not count.
  const char* after = stopReport.after;
  const char* blank = std::strchr(after, ' ');
  if (blank && std::strlen(stopReport.before) + std::strlen(name) + std::strlen(after) > 80) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), after, static_cast<DWORD>(blank - after), &written,
              nullptr);
    writeText(STD_ERROR_HANDLE, "\n");
    after = blank + 1;
  }
  writeText(STD_ERROR_HANDLE, after);
  // In a window of its own, the report stays readable until the user lets the window close. Not
  // for the console's closing, where Windows ends the process a few seconds after the event.
  if (stopPrompt && event != CTRL_CLOSE_EVENT) {
    // The run's own read, if the event did not end it already, ends now, and the run goes on to
    // wait for this thread (in holdStopRequests). Until it does, a read of its own could still
    // take the Enter, and the window would stay: however long the run takes to get there, the
    // user is asked only then. The keys typed before are cleared first, so that no Enter pressed
    // at once is discarded with them.
    endPendingRead();
    WaitForSingleObject(runParked, INFINITE);
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    FlushConsoleInputBuffer(input);
    writeText(STD_OUTPUT_HANDLE, stopPrompt);
    readUntilEnter(input);
  }
  // Not ExitProcess: the main thread may hold the C library's locks, which it would wait for.
  TerminateProcess(GetCurrentProcess(), status);
  return TRUE;
}

// Standard error, when it is a console: the editor's UTF-8 text written as UTF-16, so that the
// console shows a path in any script as it is, whatever its code page. Unbuffered, as standard
// error is, so that its lines keep their order with those written straight to the handle.
class ConsoleText : public std::streambuf {
 public:
  explicit ConsoleText(HANDLE console) : console_(console) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return write(&byte, 1) ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char* bytes, std::streamsize count) override {
    return write(bytes, count) ? count : 0;
  }

 private:
  bool write(const char* bytes, std::streamsize count) {
    pending_.append(bytes, static_cast<std::size_t>(count));
    // A character whose bytes are split between two writes waits for the rest.
    std::size_t whole = pending_.size();
    std::size_t start = whole;
    while (start > 0 && whole - start < 3 && (pending_[start - 1] & 0xC0) == 0x80)
      --start;
    if (start > 0) {
      const auto lead = static_cast<unsigned char>(pending_[start - 1]);
      const std::size_t needed = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      if (needed > whole - start + 1) whole = start - 1;
    }
    std::wstring text;
    for (const wchar_t c : wideOf(pending_.substr(0, whole))) {
      if (c == L'\n') text += L'\r';
      text += c;
    }
    pending_.erase(0, whole);
    DWORD written = 0;
    return text.empty() ||
           WriteConsoleW(console_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
  // Bytes that are not UTF-8 show as the replacement character.
  static std::wstring wideOf(const std::string& utf8) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                          length);
    }
    return wide;
  }

  HANDLE console_;
  std::string pending_;
};

FileStamp stampFromHandle(HANDLE handle, bool* ok) {
  FileStamp stamp;
  BY_HANDLE_FILE_INFORMATION info;
  FILE_BASIC_INFO basic;
  *ok = GetFileInformationByHandle(handle, &info) &&
        GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic);
  if (!*ok) return stamp;
  const auto join = [](DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
  };
  stamp.device = info.dwVolumeSerialNumber;
  stamp.fileId = join(info.nFileIndexHigh, info.nFileIndexLow);
  stamp.size = join(info.nFileSizeHigh, info.nFileSizeLow);
  stamp.modified = basic.LastWriteTime.QuadPart;
  stamp.changed = basic.ChangeTime.QuadPart;
  return stamp;
}

}  // namespace

void useUtf8Arguments(int* argc, char*** argv) {
  // The C library's own words went through the code page, with its best fit for what it lacks.
  int count = 0;
  wchar_t** const words = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!words) return;
  // Kept for the whole run, as the C library keeps its own.
  static std::vector<std::string> texts;
  static std::vector<char*> pointers;
  for (int i = 0; i < count; ++i)
    texts.push_back(utf8Of(words[i]));
  LocalFree(words);
  for (std::string& text : texts)
    pointers.push_back(text.data());
  pointers.push_back(nullptr);
  *argc = count;
  *argv = pointers.data();
}

void prepareStandardStreams() {
  // A program started without a standard stream gets none in the C library either.
  if (_get_osfhandle(0) < 0) std::freopen("NUL", "rb", stdin);
  if (_get_osfhandle(1) < 0) std::freopen("NUL", "wb", stdout);
  if (_get_osfhandle(2) < 0) std::freopen("NUL", "wb", stderr);
  static const bool errorToConsole = [] {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(error, &mode)) return false;
    // Never destroyed: the stream may be written to while the process exits.
    std::cerr.rdbuf(new ConsoleText(error));
    return true;
  }();
  static_cast<void>(errorToConsole);
}

void holdStopRequests() {
  static const bool installed = [] {
    // This is the editor's own thread: holdStopRequests is first called by start-up.
    mainThread = OpenThread(THREAD_TERMINATE, FALSE, GetCurrentThreadId());
    runParked = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return SetConsoleCtrlHandler(onConsoleEvent, TRUE) != 0;
  }();
  static_cast<void>(installed);
  // The handler may be stopping the run right now; it ends the process soon.
  if (InterlockedCompareExchange(&runPhase, kHolding, kWorking) == kStopping) {
    SetEvent(runParked);
    Sleep(INFINITE);
  }
}

void stopOnRequest(Handle handle, const char*, const char* toOutput, const char* before,
                   const char* after) {
  // The handler is in place since holdStopRequests, which start-up calls first.
  stopReport = StopReport{asHandle(handle), toOutput, before, after};
  InterlockedExchange(&runPhase, kWorking);
}

void askForEnterOnStop(const char* prompt) {
  stopPrompt = prompt;
}

void endOnStopRequest() {
  // A request that is ending the run already finishes that, with its own wait for Enter.
  holdStopRequests();
  // From now on the system's own handling ends the process.
  SetConsoleCtrlHandler(onConsoleEvent, FALSE);
}

bool streamGoesTo(Stream stream, const char* path) {
  FileStamp file;
  std::string ignored;
  bool streamOk = false;
  const FileStamp written = stampFromHandle(
      GetStdHandle(stream == Stream::output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE), &streamOk);
  return stampOf(path, &file, &ignored) && streamOk && written.isSameFileAs(file);
}

void clearAttributes(const char* path) {
  // Only read-only keeps the file from being replaced: Hidden, System and the others stay. The
  // attributes belong to the file, whatever name it is reached by.
  const std::wstring wide = widePath(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0) return;
  const Links links = linksOf(path);
  if (!links.symbolic && !links.hard)
    SetFileAttributesW(wide.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
}

std::FILE* openForReading(const char* path) {
  const std::wstring wide = widePath(path);
  if (!isRegularFile(GetFileAttributesW(wide.c_str()))) return nullptr;
  // Every sharing: while the editor runs, other programs may read, write, replace or delete the
  // file, as they could without it; the stamp tells the editor when one did.
  HANDLE handle = INVALID_HANDLE_VALUE;
  const bool opened = retryWhileHeld([&] {
    handle = CreateFileW(wide.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle != INVALID_HANDLE_VALUE;
  });
  if (!opened) return nullptr;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "rb");
  if (!file) _close(fd);
  return file;
}

std::FILE* letOthersSave(std::FILE* file) {
  // Open, even with every sharing, the file would refuse a program's save, which renames a new
  // file over it ("Access denied" for move /Y): the copy is read instead.
  const HANDLE from = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  wchar_t folder[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return file;
  HANDLE copy = INVALID_HANDLE_VALUE;
  for (unsigned number = 0; copy == INVALID_HANDLE_VALUE && number < 100; ++number) {
    const std::wstring name = std::wstring(folder, length) + L"vehicle-editor-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(number) + L".cfg";
    copy = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (copy == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  if (copy == INVALID_HANDLE_VALUE) return file;
  std::vector<char> buffer(1 << 16);
  bool copied = true;
  for (std::uint64_t offset = 0;;) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xffffffffu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    DWORD written = 0;
    if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, &at)) {
      copied = GetLastError() == ERROR_HANDLE_EOF;
      break;
    }
    if (got == 0) break;
    if (!WriteFile(copy, buffer.data(), got, &written, nullptr) || written != got) {
      copied = false;
      break;
    }
    offset += got;
  }
  LARGE_INTEGER start{};
  const int fd = copied && SetFilePointerEx(copy, start, nullptr, FILE_BEGIN)
                     ? _open_osfhandle(reinterpret_cast<intptr_t>(copy), _O_RDONLY | _O_BINARY)
                     : -1;
  std::FILE* const stream = fd < 0 ? nullptr : _fdopen(fd, "rb");
  if (stream) return stream;
  if (fd < 0) {
    CloseHandle(copy);
  } else {
    _close(fd);
  }
  return file;
}

CreateResult createLocked(const char* path, std::FILE** file, Handle* lock, std::string* error) {
  // Whatever file or link is there goes first, so that the new file is always a fresh regular
  // file: deleting a link removes the link itself, never its target. A file that another
  // editor holds cannot be deleted: that is the lock. Then CREATE_NEW refuses anything that
  // reappeared in between instead of writing through it.
  const Claim claim = claimFolder();
  if (claim == Claim::byAnotherEditor) return CreateResult::inUse;
  const std::wstring wide = widePath(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      // A read-only file cannot be deleted; one left read-only would stop every run at its end.
      if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(wide.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
      if (!DeleteFileW(wide.c_str()) && GetLastError() == ERROR_SHARING_VIOLATION) {
        releaseFolder();
        // With the folder claimed, no other editor is at work here: some other program holds it.
        return claim == Claim::taken ? CreateResult::openElsewhere : CreateResult::inUse;
      }
    } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      RemoveDirectoryW(wide.c_str());
    } else {
      releaseFolder();
      *error = std::strerror(EISDIR);
      return CreateResult::failed;
    }
  }
  // No sharing: while the editor runs no other program can open, replace or delete the file.
  // Reading too: what was written is read back through the lock's handle.
  const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    releaseFolder();
    if (code == ERROR_SHARING_VIOLATION) return CreateResult::inUse;
    *error = describeWindowsError(code);
    return CreateResult::failed;
  }
  HANDLE second = INVALID_HANDLE_VALUE;
  if (!DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &second, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    *error = describeWindowsError(GetLastError());
    deleteOnClose(handle);
    CloseHandle(handle);
    releaseFolder();
    return CreateResult::failed;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  *file = fd < 0 ? nullptr : _fdopen(fd, "wb");
  if (!*file) {
    *error = lastErrorText();
    deleteOnClose(second);
    CloseHandle(second);
    if (fd < 0) {
      CloseHandle(handle);
    } else {
      _close(fd);
    }
    releaseFolder();
    return CreateResult::failed;
  }
  *lock = reinterpret_cast<Handle>(second);
  return CreateResult::created;
}

bool namesFile(const char* path, Handle handle) {
  const HANDLE named = openToAsk(path);
  if (named == INVALID_HANDLE_VALUE) return false;
  bool namedOk = false;
  bool heldOk = false;
  const FileStamp a = stampFromHandle(named, &namedOk);
  const FileStamp b = stampFromHandle(asHandle(handle), &heldOk);
  CloseHandle(named);
  return namedOk && heldOk && a.device == b.device && a.fileId == b.fileId;
}

void removeAndClose(const char*, Handle handle) {
  if (handle == kNoHandle) return;
  // Nobody else can have replaced the file while we held it without sharing: it goes by handle.
  deleteOnClose(asHandle(handle));
  CloseHandle(asHandle(handle));
  releaseFolder();
}

void release(Handle handle) {
  if (handle == kNoHandle) return;
  // The file has its final name: from now on other programs may open it as they like, and
  // another editor may start in this folder.
  CloseHandle(asHandle(handle));
  releaseFolder();
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

bool readAt(Handle handle, std::uint64_t offset, char* buffer, std::size_t size, std::size_t* got,
            std::string* error) {
  // One read takes at most what a DWORD counts; the caller reads on.
  const DWORD wanted = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset & 0xffffffffu);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD count = 0;
  if (!ReadFile(asHandle(handle), buffer, wanted, &count, &at)) {
    const DWORD code = GetLastError();
    if (code != ERROR_HANDLE_EOF) {
      *error = describeWindowsError(code);
      return false;
    }
    count = 0;
  }
  *got = count;
  return true;
}

bool stampOf(std::FILE* file, FileStamp* stamp) {
  return stampOf(static_cast<Handle>(_get_osfhandle(_fileno(file))), stamp);
}

bool stampOf(Handle handle, FileStamp* stamp) {
  if (asHandle(handle) == INVALID_HANDLE_VALUE) return false;
  bool ok = false;
  *stamp = stampFromHandle(asHandle(handle), &ok);
  return ok;
}

bool stampOf(const char* path, FileStamp* stamp, std::string* error) {
  const HANDLE handle = openToAsk(path, true);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = describeWindowsError(GetLastError());
    return false;
  }
  bool ok = false;
  *stamp = stampFromHandle(handle, &ok);
  if (!ok) *error = describeWindowsError(GetLastError());
  CloseHandle(handle);
  return ok;
}

Links linksOf(const char* path) {
  Links links;
  const HANDLE handle = openToAsk(path);
  if (handle == INVALID_HANDLE_VALUE) return links;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(handle, &info)) {
    links.symbolic = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    links.hard = !links.symbolic && info.nNumberOfLinks > 1;
  }
  CloseHandle(handle);
  return links;
}

void copyOwnerAndPermissions(const char* from, Handle handle) {
  // The new file takes the folder's access rules, as every file made there does, and the old
  // file's Hidden and System attributes, so that replacing it does not show a hidden file.
  const DWORD attributes = GetFileAttributesW(widePath(from).c_str());
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kKept) == 0) return;
  FILE_BASIC_INFO basic;
  if (!GetFileInformationByHandleEx(asHandle(handle), FileBasicInfo, &basic, sizeof basic)) return;
  basic.FileAttributes |= attributes & kKept;
  // Zero times are left as they are.
  basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = 0;
  basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
  SetFileInformationByHandle(asHandle(handle), FileBasicInfo, &basic, sizeof basic);
}

bool renameFile(Handle handle, const char*, const char* to, bool replace, bool* exists,
                std::string* error) {
  // By handle: the very file this run wrote gets the new name, whatever else has a name here.
  // The new name is one in the same folder: no prefix, which this call would not take.
  const std::wstring name = wideText(to);
  std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + (name.size() + 1) * sizeof(WCHAR));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = replace ? TRUE : FALSE;
  rename->RootDirectory = nullptr;
  std::copy(name.begin(), name.end(), rename->FileName);
  const int wide = static_cast<int>(name.size());
  rename->FileNameLength = static_cast<DWORD>(wide) * sizeof(WCHAR);
  *exists = false;
  // A program that has the file of the new name open for a moment keeps it from being replaced
  // until it lets go.
  if (wide > 0 && retryWhileHeld([&] {
        return SetFileInformationByHandle(asHandle(handle), FileRenameInfo, rename,
                                          static_cast<DWORD>(buffer.size())) != 0;
      })) {
    FlushFileBuffers(asHandle(handle));
    return true;
  }
  const DWORD code = GetLastError();
  *exists = code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS;
  *error = describeWindowsError(code);
  return false;
}

bool keepBackup(const char* path, const char* backup, const char* scratch, std::string* error) {
  const std::wstring from = widePath(path);
  const std::wstring first = widePath(scratch);
  // A copy left by an earlier run, read-only or not.
  SetFileAttributesW(first.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(first.c_str());
  // The copy keeps the old file's attributes and times; it is forced to disk before it takes
  // the backup's name, and the rename itself is written through.
  bool done = CopyFileW(from.c_str(), first.c_str(), TRUE) != 0;
  if (done) {
    const HANDLE copy = CreateFileW(first.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    done = copy != INVALID_HANDLE_VALUE && FlushFileBuffers(copy) != 0;
    if (copy != INVALID_HANDLE_VALUE) CloseHandle(copy);
  }
  if (done) {
    done = MoveFileExW(first.c_str(), widePath(backup).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }
  if (done) return true;
  *error = describeWindowsError(GetLastError());
  DeleteFileW(first.c_str());
  return false;
}

bool isHeldOpen(const char* path) {
  // Asking for delete access is refused with a sharing violation exactly while another program
  // has the file open without letting it be deleted or replaced.
  const HANDLE handle = CreateFileW(
      widePath(path).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    CloseHandle(handle);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

std::string currentFolder() {
  // Asked again if the folder got longer in between.
  for (DWORD size = MAX_PATH + 1;;) {
    std::wstring folder(size, L'\0');
    const DWORD length = GetCurrentDirectoryW(size, folder.data());
    if (length == 0) return std::string();
    if (length < size) return utf8Of(folder.c_str(), static_cast<int>(length));
    size = length + 1;
  }
}

std::string userTempFolder() {
  wchar_t folder[MAX_PATH + 2];
  const DWORD length = GetTempPathW(MAX_PATH + 2, folder);
  if (length == 0 || length > MAX_PATH + 1) return std::string();
  return utf8Of(folder, static_cast<int>(length));
}

bool createNew(const char* path, std::FILE** file, Handle* handle, bool* exists,
               std::string* error) {
  *exists = false;
  const std::wstring wide = widePath(path);
  // Others may read it (the user copies it) but not change it while the editor writes it.
  const HANDLE created =
      CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    *exists = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS;
    *error = describeWindowsError(code);
    return false;
  }
  HANDLE second = INVALID_HANDLE_VALUE;
  if (!DuplicateHandle(GetCurrentProcess(), created, GetCurrentProcess(), &second, 0, FALSE,
                       DUPLICATE_SAME_ACCESS)) {
    *error = describeWindowsError(GetLastError());
    deleteOnClose(created);
    CloseHandle(created);
    return false;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(created), _O_WRONLY | _O_BINARY);
  *file = fd < 0 ? nullptr : _fdopen(fd, "wb");
  if (!*file) {
    *error = lastErrorText();
    deleteOnClose(second);
    CloseHandle(second);
    if (fd < 0) {
      CloseHandle(created);
    } else {
      _close(fd);
    }
    return false;
  }
  *handle = reinterpret_cast<Handle>(second);
  return true;
}

ExchangeResult exchangeNames(const char*, const char*, std::string*) {
  // Windows swaps no names in one step; the rename by handle puts a file in place.
  return ExchangeResult::unsupported;
}

void removeName(const char* path) {
  DeleteFileW(widePath(path).c_str());
}

void syncFolder() {
  // Windows has no way to sync a folder; its renames are forced to disk by the file's handle.
}

std::string lastErrorText() {
  return std::strerror(errno);
}

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

void waitForInputNotReady() {
  // A console or pipe handle here is never in a mode that reports input as not ready yet.
}

std::string inputError() {
  return "";
}

void waitForEnter(const char* prompt) {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  // Keys pressed before this point were meant for the run's prompts. The C library's buffer,
  // which may still hold the end of the last answer's line, is passed by as well. Cleared before
  // the prompt appears: an Enter pressed the moment it does is the one waited for.
  FlushConsoleInputBuffer(input);
  writeText(STD_OUTPUT_HANDLE, prompt);
  readUntilEnter(input);
}

bool namesIgnoreCase() {
  return true;
}

const char* pathSeparators() {
  return "\\/:";
}

bool isExistingFile(const char* path) {
  return isRegularFile(GetFileAttributesW(widePath(path).c_str()));
}

bool changeFolder(const char* folder, std::string* error) {
  if (SetCurrentDirectoryW(widePath(folder).c_str())) return true;
  *error = describeWindowsError(GetLastError());
  return false;
}

bool isTerminal(Stream stream) {
  DWORD consoleMode = 0;
  return GetConsoleMode(
             GetStdHandle(stream == Stream::output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE),
             &consoleMode) != 0;
}

void sleepMilliseconds(unsigned milliseconds) {
  Sleep(milliseconds);
}

}  // namespace platform
