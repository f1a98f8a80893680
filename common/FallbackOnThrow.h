// For the few functions that must not let an exception out and have a
// neutral answer when their work fails: in practice, when there is no
// memory for a string. The uninstaller is built without exceptions; there a
// failed allocation ends the program (common/FailuresEndTheProgram.cpp), and
// the work runs on its own.
#pragma once

namespace pelmora::common {

// Returns what `work` returns; if it throws, what `fallback` returns.
template <typename Work, typename Fallback>
auto FallbackOnThrow(Work&& work, Fallback&& fallback) noexcept -> decltype(work()) {
#if defined(__cpp_exceptions)
  try {
    return work();
  } catch (...) {
    return fallback();
  }
#else
  (void)fallback;
  return work();
#endif
}

}  // namespace pelmora::common
