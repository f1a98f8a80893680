#include "winsupport/PackedResource_win.h"

#include "common/Packing.h"

namespace pelmora::winsupport {

std::variant<std::vector<unsigned char>, ResourceProblem> LoadPackedResource(HMODULE module,
                                                                             const char* name,
                                                                             const char* type) {
  // A loaded resource stays mapped with its module: nothing to free.
  HRSRC resource = FindResourceA(module, name, type);
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return ResourceProblem::Missing;
  auto unpacked =
      common::Unpack(static_cast<const unsigned char*>(data), SizeofResource(module, resource));
  if (!unpacked) return ResourceProblem::Damaged;
  return std::move(*unpacked);
}

}  // namespace pelmora::winsupport
