// Linked into the shipped Windows binaries (Install.exe, stUnInst.exe) only.
//
// GCC's default terminate handler prints the demangled type of an uncaught
// exception to stderr. Neither binary has a console to print to, and the
// handler drags the demangler and a printf implementation into each of them
// (together about 75 KB). Defining the handler here keeps the runtime's copy
// out of the link; an uncaught exception still ends the process the same way.
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
