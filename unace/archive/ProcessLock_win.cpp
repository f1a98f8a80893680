#include <windows.h>

#include "common/WinHandle.h"
#include "unace/archive/ProcessLock.h"

namespace pelmora::unace::archive {

struct ProcessLock::State {
  CRITICAL_SECTION section;
  // After the section, so that it goes first.
  const win::InitializedCriticalSection initialized = win::Initialize(section);
};

ProcessLock::ProcessLock() : state_(std::make_unique<State>()) {}
ProcessLock::~ProcessLock() = default;

void ProcessLock::Lock() { ::EnterCriticalSection(&state_->section); }
void ProcessLock::Unlock() noexcept { ::LeaveCriticalSection(&state_->section); }

}  // namespace pelmora::unace::archive
