// A lock for the library's process-wide table of open archives. The shipped
// 32-bit library is built with the Win32 thread model, whose runtime has no
// std::mutex, so Windows takes a critical section; elsewhere std::mutex.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <mutex>
#endif

namespace pelmora::unace::archive {

class ProcessLock {
 public:
#if defined(_WIN32)
  ProcessLock() noexcept { ::InitializeCriticalSection(&section_); }
  ~ProcessLock() { ::DeleteCriticalSection(&section_); }
  void Lock() noexcept { ::EnterCriticalSection(&section_); }
  void Unlock() noexcept { ::LeaveCriticalSection(&section_); }
#else
  ProcessLock() = default;
  void Lock() { mutex_.lock(); }
  void Unlock() noexcept { mutex_.unlock(); }
#endif
  ProcessLock(const ProcessLock&) = delete;
  ProcessLock& operator=(const ProcessLock&) = delete;

 private:
#if defined(_WIN32)
  CRITICAL_SECTION section_;
#else
  std::mutex mutex_;
#endif
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
