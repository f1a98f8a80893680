// Holds a file open the way a running program holds its files: others may
// read it, none may delete it. usage: hold_file PATH SECONDS. Prints
// "holding" once the file is open, then keeps it open for SECONDS.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "common/WinHandle.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const pelmora::win::UniqueHandle file(CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    std::printf("cannot open %s: %lu\n", argv[1], GetLastError());
    return 1;
  }
  std::printf("holding\n");
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(std::atoi(argv[2])) * 1000);
  return 0;
}
