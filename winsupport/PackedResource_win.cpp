#include "winsupport/PackedResource_win.h"

#include "common/Packing.h"

namespace pelmora::winsupport {

common::WinResult<std::vector<unsigned char>> LoadPackedResource(HMODULE module, const char* name,
                                                                 const char* type) {
  // A loaded resource stays mapped with its module: nothing to free.
  HRSRC resource = FindResourceA(module, name, type);
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  DWORD code = data ? ERROR_SUCCESS : GetLastError();
  if (data) {
    auto unpacked =
        common::Unpack(static_cast<const unsigned char*>(data), SizeofResource(module, resource));
    if (unpacked) return std::move(*unpacked);
    code = ERROR_INVALID_DATA;
  }
  return common::FailedAs<std::vector<unsigned char>>(common::WinFailure::Subject::Resource, name,
                                                      code);
}

}  // namespace pelmora::winsupport
