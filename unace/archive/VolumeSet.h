// The volumes of one archive, opened one after the other. A missing volume
// that the data needs is asked for through the caller's callback, which may
// have the user insert a disk and answer 0 to have it looked for again.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "unace/format/Headers.h"
#include "unace/io/ByteSource.h"

namespace pelmora::unace::archive {

// (path, mode) -> answer; mode 0 = missing (answer 0 to look again, anything
// else gives up), mode 1 = found (answer ignored).
using VolumeCallback = std::function<int(const std::string& path, int mode)>;

enum class VolumeStatus { Ok, NoMoreVolumes, Missing, Damaged, NotFirst, Unreadable };

class VolumeSet {
 public:
  VolumeSet(io::VolumeOpener& opener, VolumeCallback callback)
      : opener_(opener), callback_(std::move(callback)) {}

  // Opens the first volume and positions after its MAIN header.
  VolumeStatus OpenFirst(const std::string& path);

  // Moves to the next volume of a multi-volume set. When `required`, a missing
  // volume is asked for through the callback (Missing if not supplied).
  // Otherwise (the volume ended between entries) its absence ends the
  // archive (NoMoreVolumes) - unless a later volume of the set is there:
  // then one in the middle is missing, and it is asked for all the same.
  VolumeStatus OpenNext(bool required);

  io::ByteSource& Source() { return *source_; }
  const format::MainHeader& FirstMain() const { return firstMain_; }
  const std::string& CurrentPath() const { return currentPath_; }
  const std::string& LastError() const { return lastError_; }

 private:
  VolumeStatus Adopt(std::unique_ptr<io::ByteSource> source, const std::string& path,
                     int expectedNumber);
  // The first volume of this set found after the missing `missingPath`, if
  // any: a file under a later name whose MAIN header carries the volume
  // number that name stands for.
  std::optional<std::string> LaterVolumeAfter(const std::string& missingPath) const;

  io::VolumeOpener& opener_;
  VolumeCallback callback_;
  std::unique_ptr<io::ByteSource> source_;
  format::MainHeader firstMain_;
  std::string currentPath_;
  int volumeNumber_ = 0;
  std::string lastError_;
};

}  // namespace pelmora::unace::archive
