#include <windows.h>

#include <stdexcept>
#include <string>

#include "acewriter/FileStamp.h"
#include "acewriter/PathText.h"
#include "unace/format/DosTime.h"

namespace pelmora::acewriter {
namespace {

std::uint32_t DosTimeOf(const FILETIME& utc) {
  FILETIME local{};
  WORD date = 0;
  WORD time = 0;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time))
    return format::EncodeDosTime({});  // 1980-01-01, the earliest DOS date
  return (static_cast<std::uint32_t>(date) << 16) | time;
}

}  // namespace

FileStamp ReadFileStamp(const std::filesystem::path& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
    // Taken first: turning the path into text calls Windows again.
    const DWORD error = GetLastError();
    throw std::runtime_error("cannot read the time of " + PathText(path) + ": Windows error " +
                             std::to_string(error));
  }
  FileStamp stamp;
  stamp.dosTime = DosTimeOf(data.ftLastWriteTime);
  // Only the classic DOS bits travel: the NT-only ones (compressed, sparse,
  // reparse point, ...) describe this disk, not the file.
  stamp.attributes =
      data.dwFileAttributes &
      (format::kAttributeReadOnly | format::kAttributeHidden | format::kAttributeSystem |
       format::kAttributeDirectory | format::kAttributeArchive);
  return stamp;
}

std::uint32_t CurrentDosDateTime() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return DosTimeOf(now);
}

}  // namespace pelmora::acewriter
