#include <windows.h>

#include "winsupport/Processes.h"
#include "common/WinHandle.h"

namespace pelmora::winsupport {
namespace {

// Called by Windows: must not throw. Goes on to the last window, since a
// program may own several top-level windows.
BOOL CALLBACK PostCloseIfOwnedBy(HWND window, LPARAM processId) noexcept {
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(processId)) ::PostMessageA(window, WM_CLOSE, 0, 0);
  return TRUE;
}

bool HasEnded(HANDLE process, DWORD timeoutMs) {
  return ::WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace

CloseOutcome CloseOrKillProcess(ProcessId id, std::uint32_t timeoutMs) {
  if (id == ::GetCurrentProcessId()) return kCloseFailed;
  const win::UniqueHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
  if (!process) return kCloseFailed;
  ::EnumWindows(PostCloseIfOwnedBy, static_cast<LPARAM>(id));
  if (HasEnded(process.Get(), timeoutMs)) return kEndedByItself;
  if (::TerminateProcess(process.Get(), 0)) return kKilled;
  // Terminating a process that has just ended by itself fails; that is no failure.
  return HasEnded(process.Get(), 0) ? kEndedByItself : kCloseFailed;
}

}  // namespace pelmora::winsupport
