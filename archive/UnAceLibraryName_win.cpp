#include "archive/UnAceLibrary.h"

namespace pelmora::archive {

// Spelled as the file is written and as Windows then shows it; Windows
// compares file names without regard to case.
const char* const kUnAceLibraryName = "UnACE.dll";

}  // namespace pelmora::archive
