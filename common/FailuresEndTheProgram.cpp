// Linked into the uninstaller, which is built without exceptions: there the
// standard library's failures (no memory, a length beyond what a container
// holds, a misused container) end the program at once instead of throwing.
// With the library's own throwing definitions, these would bring in the
// whole exception runtime - the unwinder, the exception classes and their
// strings - which the uninstaller otherwise does without.
//
// Ending is the honest answer there: the uninstaller reads a protocol of at
// most 16 MB, so it runs out of memory only when Windows itself does, and it
// has removed nothing it was not told to by then.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size) {
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  std::abort();
}

void* operator new[](std::size_t size) { return ::operator new(size); }

// The library's own forms catch what the throwing form throws.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size == 0 ? 1 : size);
}

void* operator new[](std::size_t size, const std::nothrow_t& nothrow) noexcept {
  return ::operator new(size, nothrow);
}

namespace std {

void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_bad_function_call() { std::abort(); }

}  // namespace std
