#include "archive/FullPath.h"

namespace pelmora::archive {

bool IsFullPath(std::string_view path) { return !path.empty() && path[0] == '/'; }

}  // namespace pelmora::archive
