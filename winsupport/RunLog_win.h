// The log a run writes when it is asked to (/LOG=<file>): one plain line per
// step, each with the local date and time, appended to whatever the file
// held. It never holds a password: callers log what happened, not what was
// typed.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "common/WinFailure.h"
#include "common/WinHandle.h"

namespace pelmora::winsupport {

class RunLog {
 public:
  // A log that writes nothing: the run was not asked for one.
  RunLog() = default;

  // Opens `path` for appending, creating it when missing. An elevated run
  // may be pointed at a folder every user can write, so the file is opened
  // without following a link, and a link, a folder or a file that has a
  // second name elsewhere (a hard link) is refused with
  // ERROR_CANT_ACCESS_FILE: the lines must not end up in another file.
  static common::WinResult<RunLog> Open(const std::string& path);

  bool Writes() const { return static_cast<bool>(file_); }

  // "2026-12-09 14:03:07 <text>" and CR LF. A line that cannot be written
  // is lost; the run goes on (its exit code still tells the outcome).
  void Line(std::string_view text) const;

 private:
  explicit RunLog(win::UniqueHandle file) : file_(std::move(file)) {}
  win::UniqueHandle file_;
};

}  // namespace pelmora::winsupport
