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

int main(int argc, char** argv) {
  using namespace pelmora::uia;
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
