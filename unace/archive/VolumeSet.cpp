#include "unace/archive/VolumeSet.h"

#include "unace/archive/BlockReader.h"
#include "unace/format/VolumeNames.h"

namespace unace::archive {

VolumeStatus VolumeSet::adopt(std::unique_ptr<io::ByteSource> source, const std::string& path,
                              int expectedNumber) {
  format::MainHeader main;
  std::string why;
  if (!FindMainHeader(*source, main, why)) {
    lastError_ = path + ": " + why;
    return VolumeStatus::Damaged;
  }
  if (main.volumeNumber != expectedNumber) {
    lastError_ = path + ": volume number " + std::to_string(main.volumeNumber) + " where " +
                 std::to_string(expectedNumber) + " was expected";
    return expectedNumber == 0 ? VolumeStatus::NotFirst : VolumeStatus::Damaged;
  }
  if (expectedNumber > 0 && !main.multiVolume()) {
    lastError_ = path + ": not part of a multi-volume set";
    return VolumeStatus::Damaged;
  }
  if (expectedNumber == 0) firstMain_ = main;
  source_ = std::move(source);
  currentPath_ = path;
  volumeNumber_ = expectedNumber;
  return VolumeStatus::Ok;
}

VolumeStatus VolumeSet::openFirst(const std::string& path) {
  auto source = opener_.open(path);
  if (!source) {
    lastError_ = path + ": cannot be opened";
    return VolumeStatus::Unreadable;
  }
  return adopt(std::move(source), path, 0);
}

VolumeStatus VolumeSet::openNext(bool required) {
  if (!source_ || !firstMain_.multiVolume()) return VolumeStatus::NoMoreVolumes;
  if (volumeNumber_ >= 255) {
    lastError_ = "more volumes than the format can number";
    return VolumeStatus::Damaged;
  }
  const auto names = format::NextVolumeNameAfter(currentPath_);
  if (!names) {
    if (!required) return VolumeStatus::NoMoreVolumes;
    lastError_ = "no volume can follow " + currentPath_ + " (volume names end at .c99)";
    return VolumeStatus::Missing;
  }
  while (true) {
    for (const std::string* candidate : {&names->path, &names->otherCase}) {
      auto source = opener_.open(*candidate);
      if (!source) continue;
      if (callback_) callback_(*candidate, 1);
      return adopt(std::move(source), *candidate, volumeNumber_ + 1);
    }
    if (!required) return VolumeStatus::NoMoreVolumes;
    if (!callback_ || callback_(names->path, 0) != 0) {
      lastError_ = "next volume " + names->path + " is missing";
      return VolumeStatus::Missing;
    }
  }
}

}  // namespace unace::archive
