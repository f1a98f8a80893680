#include "acewriter/ProgressMeter.h"

#include <cstdio>
#include <ostream>

namespace pelmora::acewriter {

ProgressClock SteadyClock() {
  return [] {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
  };
}

ProgressMeter::ProgressMeter(std::ostream& err, bool show, ProgressClock clock)
    : err_(err), show_(show), clock_(std::move(clock)), start_(clock_()), lastDraw_(start_) {}

ProgressMeter::~ProgressMeter() {
  try {
    Clear();
  } catch (...) {
    // A stream that throws while a run is already failing says nothing new.
  }
}

void ProgressMeter::Add(std::uint64_t bytes) {
  done_ += bytes;
  if (!show_) return;
  const std::chrono::nanoseconds now = clock_();
  if (now - lastDraw_ >= kRedrawInterval) Draw(now);
}

void ProgressMeter::Draw(std::chrono::nanoseconds now) {
  lastDraw_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  std::string line = FormatBytes(done_);
  if (total_ > 0) {
    // A file that grew while it was read can take the count past the total.
    const std::uint64_t percent = done_ >= total_ ? 100 : done_ * 100 / total_;
    line += " of " + FormatBytes(total_) + ", " + std::to_string(percent) + "%";
  }
  if (seconds > 0)
    line +=
        ", " + FormatBytes(static_cast<std::uint64_t>(static_cast<double>(done_) / seconds)) + "/s";
  // Blanks over what a longer line before left standing.
  const std::size_t width = line.size();
  if (line.size() < drawnWidth_) line.append(drawnWidth_ - line.size(), ' ');
  err_ << '\r' << line << std::flush;
  drawnWidth_ = width;
}

void ProgressMeter::Clear() {
  if (drawnWidth_ == 0) return;
  err_ << '\r' << std::string(drawnWidth_, ' ') << '\r' << std::flush;
  drawnWidth_ = 0;
}

double ProgressMeter::Seconds() const {
  return std::chrono::duration<double>(clock_() - start_).count();
}

std::string FormatBytes(std::uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + " B";
  static constexpr const char* kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
  double value = static_cast<double>(bytes) / 1024;
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(kUnits)) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit >= 2 ? "%.2f %s" : "%.1f %s", value, kUnits[unit]);
  return text;
}

std::string DescribeTotals(const WorkTotals& totals) {
  const std::uint64_t in = totals.unpacking ? totals.packedBytes : totals.originalBytes;
  const std::uint64_t out = totals.unpacking ? totals.originalBytes : totals.packedBytes;
  char ratio[32] = "-";
  if (totals.originalBytes > 0)
    std::snprintf(ratio, sizeof ratio, "%.1f%%",
                  100.0 * static_cast<double>(totals.packedBytes) /
                      static_cast<double>(totals.originalBytes));
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f s", totals.seconds);
  return std::to_string(totals.files) + " files, " + std::to_string(in) + " bytes in, " +
         std::to_string(out) + " bytes out, ratio " + ratio + ", " + seconds;
}

}  // namespace pelmora::acewriter
