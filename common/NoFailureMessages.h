// Forced in front of every C++ source of the shipped files in their
// shipped build (cmake/Options.cmake). The standard library's inline code
// hands a message to each failure function it calls ("basic_string::
// _M_create", "cannot create std::vector larger than max_size()"), and as
// each object keeps its own copy of every such text, the setup program
// carried them by the dozen. Without exceptions nothing reads them: the
// failure functions end the process and ignore their argument
// (common/FailuresEndTheProgram.cpp). The library marks every such text
// with __N, its marker for texts to translate; here the marker gives the
// empty text instead (an empty text, not a null pointer: test programs link
// these objects with the runtime's throwing failure functions, which make
// an exception's message of it; the empty format of the out-of-range report
// is why these builds take -Wno-format-zero-length).
#pragma once

#include <cstddef>  // the library's configuration, which defines __N

#ifndef __N
#error "the standard library no longer marks its failure messages with __N"
#endif
#undef __N
#define __N(msgid) ""
