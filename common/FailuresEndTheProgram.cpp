// Linked into what is built without exceptions - the setup, the
// uninstaller and the extraction library: there the standard library's
// failures (no memory, a length beyond what a container holds, a misused
// container) end the process at once instead of throwing. With the
// runtime's own throwing definitions, any one of these would bring in the
// whole exception runtime - the unwinder, the exception classes with their
// strings and the unwind tables - which those files otherwise do without.
//
// Ending is the honest answer there: nothing can be unwound to, and such a
// failure is no answer to any input. The uninstaller reads a protocol of at
// most 16 MB; the library asks for the memory an archive decides about (the
// dictionary window, a picture's rows) with `new (std::nothrow)` and answers
// ACE_ERR_MEMORY when it is missing, and everything else it allocates is
// small and bounded by the format. Misusing a container is a fault of our
// code, never of an input.
//
// Want of memory ends the process with common::kOutOfMemoryExitCode and
// without a word: the runtime's abort() may show a box of its own, and in
// a removal without windows no one may be there to close it.
#include <cstdlib>
#include <new>

#include "common/Allocation.h"

namespace {

[[noreturn]] void EndForWantOfMemory() { std::_Exit(pelmora::common::kOutOfMemoryExitCode); }

}  // namespace

// The runtime's nothrow forms catch what its throwing form throws; these ask
// the heap directly.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return pelmora::common::AllocateBlock(size == 0 ? 1 : size);
}

void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept {
  return ::operator new(size, nothrow);
}

void* operator new(std::size_t size) {
  if (void* block = ::operator new(size, std::nothrow)) return block;
  EndForWantOfMemory();
}

void* operator new[](std::size_t size) { return ::operator new(size); }

namespace std {

void __throw_bad_alloc() { EndForWantOfMemory(); }
void __throw_bad_array_new_length() { EndForWantOfMemory(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_bad_function_call() { std::abort(); }

}  // namespace std
