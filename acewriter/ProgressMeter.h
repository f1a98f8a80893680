// How far a long run of the tools is: bytes done of the total, share and
// rate, redrawn in place on one line of a terminal (a carriage return, no
// line feed), and the one line that sums a finished run up. Portable and
// fed with byte counts only, so that tests drive it with a made-up clock
// and a string stream; whether the stream is a terminal is asked of the
// system once, by the caller (Terminal.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

namespace pelmora::acewriter {

// Time since an arbitrary start that only moves forward.
using ProgressClock = std::function<std::chrono::nanoseconds()>;

// std::chrono::steady_clock.
ProgressClock SteadyClock();

// What a tool's command needs to know to show its progress.
struct ProgressDisplay {
  bool terminal = false;  // the messages' stream is a terminal
  ProgressClock clock = SteadyClock();
};

class ProgressMeter {
 public:
  // Draws on `err` only when `show`; measures the run's time either way.
  ProgressMeter(std::ostream& err, bool show, ProgressClock clock);
  // Clears a line still standing (a run ended by an exception), so that the
  // message that follows starts on a clean line.
  ~ProgressMeter();
  ProgressMeter(const ProgressMeter&) = delete;
  ProgressMeter& operator=(const ProgressMeter&) = delete;

  // Whether anything is drawn: callers skip work that only feeds the
  // display (counting the total first).
  bool Showing() const { return show_; }
  void SetTotal(std::uint64_t bytes) { total_ = bytes; }
  // Cheap enough for every block: the line is redrawn at most every
  // kRedrawInterval, and not before the run has taken that long.
  void Add(std::uint64_t bytes);
  // Removes the line, if one is standing: at the end, and before a message
  // that would otherwise be written into it. A later Add draws it anew.
  void Clear();
  std::uint64_t Done() const { return done_; }
  double Seconds() const;

  static constexpr std::chrono::milliseconds kRedrawInterval{100};

 private:
  void Draw(std::chrono::nanoseconds now);

  std::ostream& err_;
  bool show_;
  ProgressClock clock_;
  std::chrono::nanoseconds start_;
  std::chrono::nanoseconds lastDraw_;
  std::uint64_t total_ = 0;
  std::uint64_t done_ = 0;
  std::size_t drawnWidth_ = 0;  // 0: no line standing
};

// "512 B", "12.3 KiB", "4.0 MiB", "1.50 GiB": two decimals from GiB on,
// where one step of the last digit is still a lot of bytes.
std::string FormatBytes(std::uint64_t bytes);

// What one finished run did, for its summary line.
struct WorkTotals {
  std::uint64_t files = 0;
  std::uint64_t originalBytes = 0;  // the files' own bytes
  std::uint64_t packedBytes = 0;    // the archive's bytes
  bool unpacking = false;           // read the archive (in: packed) rather than wrote it
  double seconds = 0;
};

// "3 files, 1000 bytes in, 400 bytes out, ratio 40.0%, 0.25 s": the ratio
// is always the archive's size against the files', whichever way the run
// went; "ratio -" for no file bytes at all.
std::string DescribeTotals(const WorkTotals& totals);

}  // namespace pelmora::acewriter
