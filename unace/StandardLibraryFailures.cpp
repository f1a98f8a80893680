// The standard library's own failure reports and operator new, as the
// shipped library needs them. UnACE.dll is built without exceptions: the
// runtime's definitions of these functions throw std::bad_alloc,
// std::logic_error and their kin, and any one of them brings the unwinder,
// the personality routine, the exception classes with their copy-on-write
// message strings and the unwind tables of the whole library into the DLL.
// Linked only into the DLL, these definitions take their place.
//
// What a failure means there:
// - Memory an archive decides about - the dictionary window (up to 4 MiB)
//   and the rows of a picture (up to 1 MiB each) - is asked for with
//   `new (std::nothrow)`, and its lack is ACE_ERR_MEMORY for that member, as
//   it always was. Every other allocation is small and bounded by the format
//   (a header of at most 64 KiB, a comment, a 64 KiB I/O buffer, names):
//   when even that fails, the process could not go on in any useful way, so
//   it ends (std::abort) instead of answering with a half-done operation.
// - A length beyond what a string or vector can hold is the same lack of
//   memory; a misuse of the standard library (an index out of range, an
//   empty std::function) is a fault of this code, never of an archive. Both
//   end the process too: there is nothing to unwind to.
#include <cstdlib>
#include <new>

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

// The runtime's nothrow forms catch the throwing form's std::bad_alloc; these
// ask the heap directly. The array forms are defined too, as the runtime's
// would reach the throwing form through a handler of their own.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size != 0 ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return ::operator new(size, tag);
}
void* operator new(std::size_t size) {
  if (void* p = ::operator new(size, std::nothrow)) return p;
  std::abort();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
