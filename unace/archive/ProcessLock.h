// A lock for the library's process-wide table of open archives. The shipped
// 32-bit library is built with the Win32 thread model, whose runtime has no
// std::mutex, so Windows takes a critical section (ProcessLock_win.cpp);
// elsewhere std::mutex (ProcessLock_posix.cpp).
#pragma once

#include <memory>

namespace pelmora::unace::archive {

class ProcessLock {
 public:
  ProcessLock();
  ~ProcessLock();
  ProcessLock(const ProcessLock&) = delete;
  ProcessLock& operator=(const ProcessLock&) = delete;

  void Lock();
  void Unlock() noexcept;

 private:
  // The platform's lock object, whose type only its half knows.
  struct State;
  std::unique_ptr<State> state_;
};

// Holds a ProcessLock for its scope.
class ProcessLockHolder {
 public:
  explicit ProcessLockHolder(ProcessLock& lock) : lock_(lock) { lock_.Lock(); }
  ~ProcessLockHolder() { lock_.Unlock(); }
  ProcessLockHolder(const ProcessLockHolder&) = delete;
  ProcessLockHolder& operator=(const ProcessLockHolder&) = delete;

 private:
  ProcessLock& lock_;
};

}  // namespace pelmora::unace::archive
