// Test helper for the Windows build: holds a file open the way another program (the game, an
// editor, a virus scanner) may, without delete sharing, until its standard input closes.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const HANDLE handle =
      CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return 1;
  std::puts("holding");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  CloseHandle(handle);
  return 0;
}
