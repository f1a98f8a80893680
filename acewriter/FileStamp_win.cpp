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

// FILETIME counts 100 ns steps from 1601; Unix seconds start in 1970.
constexpr std::int64_t kFileTimeUnixEpoch = 116444736000000000;
constexpr std::int64_t kFileTimeStepsPerSecond = 10000000;

std::int64_t UnixTimeOf(const FILETIME& utc) {
  const std::int64_t steps = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime);
  return (steps - kFileTimeUnixEpoch) / kFileTimeStepsPerSecond;
}

}  // namespace

std::uint32_t LocalDosTime(std::int64_t unixTime) {
  // Before 1970 is before any DOS date too.
  const std::uint64_t steps =
      unixTime < 0
          ? 0
          : static_cast<std::uint64_t>(unixTime * kFileTimeStepsPerSecond + kFileTimeUnixEpoch);
  FILETIME utc{};
  utc.dwLowDateTime = static_cast<DWORD>(steps);
  utc.dwHighDateTime = static_cast<DWORD>(steps >> 32);
  return DosTimeOf(utc);
}

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
  stamp.unixTime = UnixTimeOf(data.ftLastWriteTime);
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
