#include "archive/UnAceLibrary.h"

namespace pelmora::archive {

const char* const kUnAceLibraryName = "unace.dll";

}  // namespace pelmora::archive
