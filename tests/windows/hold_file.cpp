// Test helper for the Windows build: does to a file what another program (the game, an editor, a
// virus scanner) may do while the editor runs.
//   hold-file FILE                      holds FILE open without delete sharing until its standard
//                                       input closes
//   hold-file FILE --until-written NEW  the same, but lets go of FILE 200 ms after NEW (the
//                                       editor's new file) has its first bytes, then says
//                                       "released", and waits for its input to close
//   hold-file --delete FILE             deletes FILE; exit status 0 when that worked
// Says "holding" once it holds the file.
#include <windows.h>

#include <cstdio>
#include <cstring>

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

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--delete") == 0) {
    if (DeleteFileA(argv[2])) return 0;
    std::fprintf(stderr, "DeleteFile failed: Windows error %lu\n", GetLastError());
    return 1;
  }
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
