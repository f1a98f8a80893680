#include "acewriter/BuildTime.h"

#include <charconv>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "acewriter/FileStamp.h"

namespace pelmora::acewriter {

std::optional<std::int64_t> ParseSourceDateEpoch(std::string_view text) {
  std::int64_t seconds = 0;
  const char* end = text.data() + text.size();
  const auto [rest, error] = std::from_chars(text.data(), end, seconds);
  if (text.empty() || text.front() == '-' || error != std::errc() || rest != end)
    return std::nullopt;
  return seconds;
}

std::optional<std::int64_t> SourceDateEpochFromEnvironment() {
  const char* value = std::getenv(kSourceDateEpochVariable);
  if (!value || !*value) return std::nullopt;
  const std::optional<std::int64_t> seconds = ParseSourceDateEpoch(value);
  if (!seconds)
    throw std::runtime_error(std::string(kSourceDateEpochVariable) +
                             " must be seconds since 1970, not \"" + value + "\"");
  return seconds;
}

std::int64_t BuildTime(std::optional<std::int64_t> sourceDateEpoch,
                       std::optional<std::int64_t> newestFile) {
  if (sourceDateEpoch) return *sourceDateEpoch;
  return newestFile.value_or(kEarliestDosTime);
}

void DateArchive(ArchiveOptions& options, std::optional<std::int64_t> sourceDateEpoch,
                 std::optional<std::int64_t> newestFile) {
  options.creationTime = LocalDosTime(BuildTime(sourceDateEpoch, newestFile));
  if (sourceDateEpoch) options.latestMemberTime = LocalDosTime(*sourceDateEpoch);
}

}  // namespace pelmora::acewriter
