#include "unace/fs/PathSeparator.h"

namespace pelmora::unace::fs {

const char kPathSeparator = '/';

}  // namespace pelmora::unace::fs
