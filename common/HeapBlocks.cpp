// The shipped files' memory: the C runtime's heap, which operator delete
// gives back to.
#include <cstdlib>

#include "common/Allocation.h"

namespace pelmora::common {

void* AllocateBlock(std::size_t size) noexcept { return std::malloc(size); }

}  // namespace pelmora::common
