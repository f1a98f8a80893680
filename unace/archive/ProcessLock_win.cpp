#include <windows.h>

#include "unace/archive/ProcessLock.h"

namespace pelmora::unace::archive {

struct ProcessLock::State {
  State() noexcept { ::InitializeCriticalSection(&section); }
  ~State() { ::DeleteCriticalSection(&section); }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  CRITICAL_SECTION section;
};

ProcessLock::ProcessLock() : state_(std::make_unique<State>()) {}
ProcessLock::~ProcessLock() = default;

void ProcessLock::Lock() { ::EnterCriticalSection(&state_->section); }
void ProcessLock::Unlock() noexcept { ::LeaveCriticalSection(&state_->section); }

}  // namespace pelmora::unace::archive
