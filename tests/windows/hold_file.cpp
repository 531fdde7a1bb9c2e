// Test helper for the Windows build: does to a file what another program (the game, an editor, a
// virus scanner) may do while the editor runs.
//   hold-file FILE                      holds FILE open without delete sharing until its standard
//                                       input closes
//   hold-file FILE --until-written NEW  the same, but lets go of FILE 200 ms after NEW (the
//                                       editor's new file) has its first bytes, then says
//                                       "released", and waits for its input to close
//   hold-file --delete FILE             deletes FILE; exit status 0 when that worked
//   hold-file --save FILE               saves FILE as programs do (and move /Y): writes
//                                       "saved by another program" to FILE.saved, then renames
//                                       that over FILE; exit status 0 when that worked
//   hold-file --delete-then-save FILE   deletes FILE, then saves it the same way
// Says "holding" once it holds the file.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The size of `path`, through a handle that asks only for its attributes, which no sharing mode
// of another program refuses; -1 when it cannot be read.
LONGLONG sizeOf(const char* path) {
  const HANDLE handle = CreateFileA(path, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return -1;
  LARGE_INTEGER size{};
  const bool ok = GetFileSizeEx(handle, &size) != 0;
  CloseHandle(handle);
  return ok ? size.QuadPart : -1;
}

void say(const char* text) {
  std::puts(text);
  std::fflush(stdout);
}

int failed(const char* what) {
  std::fprintf(stderr, "%s failed: Windows error %lu\n", what, GetLastError());
  return 1;
}

// Writes a file of its own beside `path` and renames it over `path`, replacing what is there.
int save(const char* path) {
  const std::string saved = std::string(path) + ".saved";
  const HANDLE handle = CreateFileA(saved.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return failed("CreateFile");
  const char text[] = "saved by another program\r\n";
  DWORD written = 0;
  const bool ok = WriteFile(handle, text, sizeof text - 1, &written, nullptr) != 0;
  CloseHandle(handle);
  if (!ok) return failed("WriteFile");
  if (!MoveFileExA(saved.c_str(), path, MOVEFILE_REPLACE_EXISTING)) return failed("MoveFileEx");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--delete") == 0)
    return DeleteFileA(argv[2]) ? 0 : failed("DeleteFile");
  if (argc == 3 && std::strcmp(argv[1], "--save") == 0) return save(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "--delete-then-save") == 0)
    return DeleteFileA(argv[2]) ? save(argv[2]) : failed("DeleteFile");
  const bool untilWritten = argc == 4 && std::strcmp(argv[2], "--until-written") == 0;
  if (argc != 2 && !untilWritten) return 2;
  const HANDLE handle =
      CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 1;
  say("holding");
  if (untilWritten) {
    // The editor writes its new file in one piece and tries to put it in place a few system
    // calls later, so it has met the hold and begun to wait well within the 200 ms; the hold
    // then ends long before the editor would give up.
    for (int polls = 0; polls < 60000 && sizeOf(argv[3]) <= 0; ++polls)
      Sleep(1);
    Sleep(200);
    CloseHandle(handle);
    say("released");
  }
  while (std::getchar() != EOF) {
  }
  if (!untilWritten) CloseHandle(handle);
  return 0;
}
