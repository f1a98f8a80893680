#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "acewriter/FileStamp.h"
#include "acewriter/PathText.h"
#include "unace/format/DosTime.h"

namespace pelmora::acewriter {

std::uint32_t LocalDosTime(std::int64_t unixTime) {
  const std::time_t when = static_cast<std::time_t>(unixTime);
  std::tm local{};
  if (!localtime_r(&when, &local)) return format::EncodeDosTime({});
  return format::EncodeDosTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                local.tm_hour, local.tm_min, local.tm_sec});
}

FileStamp ReadFileStamp(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0)
    throw std::runtime_error("cannot read the time of " + PathText(path) + ": " +
                             std::strerror(errno));
  FileStamp stamp;
  stamp.unixTime = info.st_mtime;
  stamp.dosTime = LocalDosTime(stamp.unixTime);
  // Unix knows no hidden, system or archive bit; a file the owner may not
  // write is what Windows calls read-only.
  if (S_ISDIR(info.st_mode)) {
    stamp.attributes = format::kAttributeDirectory;
  } else {
    stamp.attributes = format::kAttributeArchive;
    if ((info.st_mode & S_IWUSR) == 0) stamp.attributes |= format::kAttributeReadOnly;
  }
  return stamp;
}

std::uint32_t CurrentDosDateTime() { return LocalDosTime(std::time(nullptr)); }

}  // namespace pelmora::acewriter
