// The standard library's own failure reports, as the shipped library needs
// them. libstdc++ raises them through a handful of functions (a string or
// vector past its largest size, a null string, an index out of range, an
// empty std::function); its definitions of these throw std::logic_error and
// its kin, whose copy-on-write message strings pull about 70 KB of code and
// unwind tables into UnACE.dll (the old string's and the new string's whole
// instantiations, the exception classes, std::random_device) - a third of
// the library. Linked only into the DLL, these definitions take their place.
//
// The meaning stays: every export is Guarded, so a size beyond what can be
// allocated is still ACE_ERR_MEMORY, and a misuse of the standard library
// (never expected from this code) is still the argument error; inside the
// decoder both still end the member as before.
#include <cstdarg>
#include <new>

namespace pelmora::unace {
namespace {
// The other failures: nothing catches this type by name, only by `...`.
struct StandardLibraryMisuse {};
}  // namespace
}  // namespace pelmora::unace

namespace std {

void __throw_bad_alloc() { throw std::bad_alloc(); }
// A length beyond max_size() cannot be allocated either.
void __throw_length_error(const char*) { throw std::bad_alloc(); }
void __throw_logic_error(const char*) { throw pelmora::unace::StandardLibraryMisuse(); }
void __throw_out_of_range_fmt(const char*, ...) { throw pelmora::unace::StandardLibraryMisuse(); }
void __throw_bad_function_call() { throw pelmora::unace::StandardLibraryMisuse(); }

}  // namespace std
