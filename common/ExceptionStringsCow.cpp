// Linked into the shipped Windows programs (Install.exe, stUnInst.exe) only;
// UnACE.dll is built without exceptions.
//
// The standard exceptions (std::runtime_error and its kin, also thrown by
// std::string itself) keep their message in the old reference-counted
// string. The static libstdc++ defines that string's members in one object
// holding every member of the whole class, and that object in turn drags in
// std::random_device and with it every member of today's std::string
// (together about 63 KB in each binary). The exception objects need seven
// members only; instantiating those here, from the very headers the runtime
// was built from, satisfies the linker so that it never pulls that object.
// The two members of today's std::string that the runtime's conversion
// between the two strings needs are in ExceptionStringsSso.cpp (a file
// sees one of the two string classes only).
#define _GLIBCXX_USE_CXX11_ABI 0
#include <string>

template std::string::_Rep* std::string::_Rep::_S_create(std::string::size_type,
                                                          std::string::size_type,
                                                          const std::allocator<char>&);
template void std::string::_Rep::_M_dispose(const std::allocator<char>&) noexcept;
template void std::string::_Rep::_M_destroy(const std::allocator<char>&) throw();
template char* std::string::_Rep::_M_clone(const std::allocator<char>&, std::string::size_type);
template char* std::string::_S_construct(std::string::size_type, char, const std::allocator<char>&);
template std::string& std::string::assign(const std::string&);
template void std::string::swap(std::string&);
