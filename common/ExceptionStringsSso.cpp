// Linked into the shipped Windows binaries only; the other half of
// ExceptionStringsCow.cpp. The runtime's std::__sso_string, through which
// an exception's message passes, needs these two members of std::string;
// instantiated here, they keep the runtime's object with every member of
// the class (about 28 KB) out of the link.
#include <string>

template void std::string::_M_assign(const std::string&);
template std::string::pointer std::string::_M_create(std::string::size_type&,
                                                     std::string::size_type);
