// The program's own resources that the build packed (common/Packing.h): the
// extraction library and the pictures.
#pragma once

#include <windows.h>

#include <variant>
#include <vector>

namespace pelmora::winsupport {

enum class ResourceProblem {
  Missing,  // no such resource in the module
  Damaged,  // it does not unpack
};

// The resource `name` of `type` in `module` (nullptr: the program), unpacked.
std::variant<std::vector<unsigned char>, ResourceProblem> LoadPackedResource(HMODULE module,
                                                                             const char* name,
                                                                             const char* type);

}  // namespace pelmora::winsupport
