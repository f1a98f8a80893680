#include "archive/UnAceLibrary.h"

namespace pelmora::archive {

const char* const kUnAceLibraryName = "libunace.so";

}  // namespace pelmora::archive
