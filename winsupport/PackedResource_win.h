// The program's own resources that the build packed (common/Packing.h): the
// extraction library and the pictures.
#pragma once

#include <windows.h>

#include <vector>

#include "common/WinFailure.h"

namespace pelmora::winsupport {

// The resource `name` of `type` in `module` (nullptr: the program), unpacked;
// else a failure naming the resource: Windows' code when it is missing,
// ERROR_INVALID_DATA when it does not unpack.
common::WinResult<std::vector<unsigned char>> LoadPackedResource(HMODULE module, const char* name,
                                                                 const char* type);

}  // namespace pelmora::winsupport
