// A remote control for the end-to-end tests: finds another program's
// windows as a user looking at the screen would, reports what they show
// and acts on them. One invocation carries out one command (see kUsage).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "Commands_win.h"
#include "Outcome.h"

namespace {

// Rectangles in the pixels of the screen, as the programs under test see
// them: a program that is not DPI aware would be told scaled-down ones.
void SeeScreenPixels() {
  using SetContextFunction = BOOL(WINAPI*)(HANDLE context);
  using SetAwareFunction = BOOL(WINAPI*)();
  HMODULE user32 = GetModuleHandleA("user32.dll");
  const auto setContext = reinterpret_cast<SetContextFunction>(reinterpret_cast<void (*)()>(
      GetProcAddress(user32, "SetProcessDpiAwarenessContext")));
  const auto perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
  if (setContext && setContext(perMonitorV2)) return;
  const auto setAware = reinterpret_cast<SetAwareFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(user32, "SetProcessDPIAware")));
  if (setAware) setAware();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace pelmora::uia;
  SeeScreenPixels();
  try {
    const Invocation call = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    RunCommand(call);
    return kExitOk;
  } catch (const CommandFailure& failure) {
    std::fprintf(stderr, "wintool: %s\n", failure.what());
    if (failure.Code() == kExitUsage) std::fputs(kUsage, stderr);
    return failure.Code();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "wintool: %s\n", error.what());
    return kExitImpossible;
  }
}
