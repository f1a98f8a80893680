#include "tools/acetool/LibraryCodes.h"

#include "unace/UnAceApi.h"

namespace pelmora::acetool {
namespace {

const char* Meaning(int code) {
  switch (code) {
    case ACE_OK:
      return "success";
    case ACE_ERR_EXISTS:
      return "target file exists and cannot be replaced";
    case ACE_ERR_WRITE:
      return "target file or folder cannot be created or written";
    case ACE_ERR_ABORTED:
      return "aborted";
    case ACE_END_OF_ARCHIVE:
      return "end of archive";
    case ACE_ERR_OPEN:
      return "cannot open the archive, or it is no ACE archive";
    case ACE_ERR_HEADER:
      return "damaged or truncated header";
    case ACE_ERR_DATA_CRC:
      return "data CRC mismatch";
    case ACE_ERR_FORMAT:
      return "compression method or version not supported";
    case ACE_ERR_PASSWORD:
      return "password missing or wrong";
    case ACE_ERR_VOLUME:
      return "next volume missing";
    case ACE_ERR_UNSAFE_NAME:
      return "entry name would leave the target folder";
    case ACE_ERR_MEMORY:
      return "out of memory";
    case ACE_ERR_DATA:
      return "damaged packed data (or a wrong password)";
    case ACE_ERR_ARGUMENT:
      return "invalid argument";
    default:
      return "unknown error";
  }
}

}  // namespace

std::string DescribeLibraryCode(int code) {
  return std::string(Meaning(code)) + " (code " + std::to_string(code) + ")";
}

}  // namespace pelmora::acetool
