// Running processes on this machine: listing, finding and ending them.
// Windows only; failures give the neutral results named below.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "winrules/ProcessList.h"

namespace pelmora::winsupport {

// The rules' names for what is listed and found (winrules/ProcessList.h).
using winrules::ProcessId;
using winrules::ProcessList;
using winrules::ProcessNaming;

// Appends the running processes by the method that suits this Windows
// version. false when the enumeration failed.
bool ListProcesses(ProcessList& list, bool fullPath);

// The two methods by themselves, for a given naming.
bool ListProcessesByToolHelp(ProcessList& list, const ProcessNaming& naming);
bool ListProcessesByProcessStatus(ProcessList& list, const ProcessNaming& naming);

// Path (or base name) of the process's main module; empty when the process
// cannot be opened or asked. From NT 6 on the process's image name is asked
// first, then, as on older Windows, its module list.
std::string GetProcessModulePath(ProcessId id, bool fullPath);

// FindProcessIdByPath and FindRunningProgram of ProcessList.h over ListProcesses.
ProcessId FindProcessIdByPath(std::string_view path);
std::optional<ProcessId> FindRunningProgram(std::string_view programName);

enum CloseOutcome : int {
  kCloseFailed = 0,    // own process, no access, or it could not be ended
  kEndedByItself = 1,  // it ended within the time-out after being asked to close
  kKilled = 2,         // it was still running and has been terminated
};

// Asks every top-level window of the process to close, waits up to timeoutMs
// for the process to end, and terminates it otherwise.
CloseOutcome CloseOrKillProcess(ProcessId id, std::uint32_t timeoutMs);

// How long the wizard lets a running previous version close by itself before
// ending it: long enough for a program that asks its user whether to save
// changes to be answered.
inline constexpr std::uint32_t kPreviousVersionGraceMs = 10000;

// How often the waiting CloseOrKillProcess hands control back to its caller.
inline constexpr std::uint32_t kCloseWaitStepMs = 50;

// As above, but waits in steps of kCloseWaitStepMs and calls whileWaiting
// after each step in which the process has not ended, so that the caller can
// keep its window alive (pump its messages) during a long time-out. Time
// spent in whileWaiting counts towards the time-out. An exception thrown by
// whileWaiting leaves the wait; the process is then neither asked again nor
// terminated.
CloseOutcome CloseOrKillProcess(ProcessId id, std::uint32_t timeoutMs,
                                const std::function<void()>& whileWaiting);

}  // namespace pelmora::winsupport
