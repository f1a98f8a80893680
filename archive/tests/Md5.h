// MD5 of a file, to check extracted files against the lists of expected
// digests that come with the real test archives.
#pragma once

#include <string>

namespace pelmora::archive::test {

// Lower-case hex digest of the bytes.
std::string Md5Hex(const std::string& bytes);

}  // namespace pelmora::archive::test
