// The one time an archive (and whatever a tool signs with it) is dated, so
// that the same input gives the same bytes: the reproducible-builds
// convention's SOURCE_DATE_EPOCH (seconds since 1970, UTC) when it is set,
// otherwise the newest file's modification time, never the clock.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "acewriter/ArchiveOptions.h"

namespace pelmora::acewriter {

inline constexpr const char* kSourceDateEpochVariable = "SOURCE_DATE_EPOCH";

// The variable's value as seconds; nothing when it is not a plain decimal
// number (no sign, blanks or suffix).
std::optional<std::int64_t> ParseSourceDateEpoch(std::string_view text);

// SOURCE_DATE_EPOCH from the environment: nothing when unset or empty.
// Throws std::runtime_error naming the variable when it holds anything but
// seconds: a build meant to be reproducible must not quietly take another
// time.
std::optional<std::int64_t> SourceDateEpochFromEnvironment();

// 1980-01-01 00:00:00 UTC, the earliest DOS date: the time of an archive
// without a single file.
inline constexpr std::int64_t kEarliestDosTime = 315532800;

// Seconds since 1970: `sourceDateEpoch` when given, else the newest file's
// time, else kEarliestDosTime.
std::int64_t BuildTime(std::optional<std::int64_t> sourceDateEpoch,
                       std::optional<std::int64_t> newestFile);

// Dates `options` by that time: the MAIN header's creation time, and with
// SOURCE_DATE_EPOCH no member stamp later than it (files made by the build
// itself, or a fresh checkout, would otherwise carry the day of the build).
void DateArchive(ArchiveOptions& options, std::optional<std::int64_t> sourceDateEpoch,
                 std::optional<std::int64_t> newestFile);

}  // namespace pelmora::acewriter
