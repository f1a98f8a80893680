// Starts a command line exactly as a file holds it, the way Windows starts
// an Uninstall entry's command (no argument list that a launcher would
// quote again), waits for it and returns its exit code. usage: run_line
// FILE. 125 when the file cannot be read, 126 when the line cannot start.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "common/WinHandle.h"

int main(int argc, char** argv) {
  if (argc != 2) return 125;
  std::ifstream in(argv[1], std::ios::binary);
  std::string line((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.eof() && !in) return 125;
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started))
    return 126;
  const pelmora::win::UniqueHandle process(started.hProcess);
  const pelmora::win::UniqueHandle thread(started.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  DWORD code = 126;
  GetExitCodeProcess(process.Get(), &code);
  return static_cast<int>(code);
}
