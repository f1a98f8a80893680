// Included before everything in GoogleTest and the tests of the shipped
// 32-bit build. Its -win32 compilers have no std::mutex and no
// std::condition_variable, which GoogleTest's Notification is made of; the
// rest of its thread support is Windows' own. Notification only lets threads
// that GoogleTest starts for its own tests wait for a start signal: no test
// of ours starts one, so a flag that is polled does.
#pragma once

#include <atomic>

namespace testing::internal {

class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { notified_.store(true); }
  void WaitForNotification() const {
    while (!notified_.load()) {
    }
  }

 private:
  std::atomic<bool> notified_{false};
};

}  // namespace testing::internal

#define GTEST_HAS_NOTIFICATION_ 1
