// What the extraction library's result codes mean, for messages.
#pragma once

#include <string>

namespace pelmora::acetool {

// E.g. "data CRC mismatch (code 131)".
std::string DescribeLibraryCode(int code);

}  // namespace pelmora::acetool
