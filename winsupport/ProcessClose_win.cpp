#include <windows.h>

#include "winsupport/Processes_win.h"
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

// Waits for the end in short steps, letting the caller run between them.
// GetTickCount wraps after 49 days; unsigned differences stay right across it.
bool EndsWithin(HANDLE process, DWORD timeoutMs, const std::function<void()>& whileWaiting) {
  if (!whileWaiting) return HasEnded(process, timeoutMs);
  const DWORD start = ::GetTickCount();
  for (;;) {
    const DWORD elapsed = ::GetTickCount() - start;
    if (elapsed >= timeoutMs) return HasEnded(process, 0);
    const DWORD left = timeoutMs - elapsed;
    if (HasEnded(process, left < kCloseWaitStepMs ? left : kCloseWaitStepMs)) return true;
    whileWaiting();
  }
}

}  // namespace

CloseOutcome CloseOrKillProcess(ProcessId id, std::uint32_t timeoutMs) {
  return CloseOrKillProcess(id, timeoutMs, nullptr);
}

CloseOutcome CloseOrKillProcess(ProcessId id, std::uint32_t timeoutMs,
                                const std::function<void()>& whileWaiting) {
  if (id == ::GetCurrentProcessId()) return kCloseFailed;
  const win::UniqueHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
  if (!process) return kCloseFailed;
  ::EnumWindows(PostCloseIfOwnedBy, static_cast<LPARAM>(id));
  if (EndsWithin(process.Get(), timeoutMs, whileWaiting)) return kEndedByItself;
  if (::TerminateProcess(process.Get(), 0)) return kKilled;
  // Terminating a process that has just ended by itself fails; that is no failure.
  return HasEnded(process.Get(), 0) ? kEndedByItself : kCloseFailed;
}

}  // namespace pelmora::winsupport
