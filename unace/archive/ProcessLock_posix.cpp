#include <mutex>

#include "unace/archive/ProcessLock.h"

namespace pelmora::unace::archive {

struct ProcessLock::State {
  std::mutex mutex;
};

ProcessLock::ProcessLock() : state_(std::make_unique<State>()) {}
ProcessLock::~ProcessLock() = default;

void ProcessLock::Lock() { state_->mutex.lock(); }
void ProcessLock::Unlock() noexcept { state_->mutex.unlock(); }

}  // namespace pelmora::unace::archive
