#include "unace/archive/VolumeSet.h"

#include <variant>

#include "unace/archive/BlockReader.h"
#include "unace/format/VolumeNames.h"

namespace pelmora::unace::archive {

VolumeStatus VolumeSet::Adopt(std::unique_ptr<io::ByteSource> source, const std::string& path,
                              int expectedNumber) {
  const std::variant<format::MainHeader, format::HeaderProblem> found = FindMainHeader(*source);
  if (const format::HeaderProblem* problem = std::get_if<format::HeaderProblem>(&found)) {
    lastError_ = path + ": " + problem->text;
    return VolumeStatus::Damaged;
  }
  // get_if, not get: std::get's throwing path would bring bad_variant_access
  // into the shipped library.
  const format::MainHeader& main = *std::get_if<format::MainHeader>(&found);
  if (main.volumeNumber != expectedNumber) {
    lastError_ = path + ": volume number " + std::to_string(main.volumeNumber) + " where " +
                 std::to_string(expectedNumber) + " was expected";
    return expectedNumber == 0 ? VolumeStatus::NotFirst : VolumeStatus::Damaged;
  }
  if (expectedNumber > 0 && !main.MultiVolume()) {
    lastError_ = path + ": not part of a multi-volume set";
    return VolumeStatus::Damaged;
  }
  if (expectedNumber == 0) firstMain_ = main;
  source_ = std::move(source);
  currentPath_ = path;
  volumeNumber_ = expectedNumber;
  return VolumeStatus::Ok;
}

VolumeStatus VolumeSet::OpenFirst(const std::string& path) {
  auto source = opener_.Open(path);
  if (!source) {
    lastError_ = path + ": cannot be opened";
    return VolumeStatus::Unreadable;
  }
  return Adopt(std::move(source), path, 0);
}

std::optional<std::string> VolumeSet::LaterVolumeAfter(const std::string& missingPath) const {
  std::string name = missingPath;
  int number = volumeNumber_ + 1;
  while (const auto next = format::NextVolumeNameAfter(name)) {
    name = next->path;
    ++number;
    for (const std::string* candidate : {&next->path, &next->otherCase}) {
      auto source = opener_.Open(*candidate);
      if (!source) continue;
      const std::variant<format::MainHeader, format::HeaderProblem> found = FindMainHeader(*source);
      const format::MainHeader* main = std::get_if<format::MainHeader>(&found);
      if (main && main->MultiVolume() && main->volumeNumber == number) return *candidate;
    }
  }
  return std::nullopt;
}

VolumeStatus VolumeSet::OpenNext(bool required) {
  if (!source_ || !firstMain_.MultiVolume()) return VolumeStatus::NoMoreVolumes;
  const auto names = format::NextVolumeNameAfter(currentPath_);
  if (!names) {
    if (!required) return VolumeStatus::NoMoreVolumes;
    lastError_ = "no volume can follow " + currentPath_ + " (volume names end at .c99)";
    return VolumeStatus::Missing;
  }
  std::string why = "next volume " + names->path + " is missing";
  while (true) {
    for (const std::string* candidate : {&names->path, &names->otherCase}) {
      auto source = opener_.Open(*candidate);
      if (!source) continue;
      if (callback_) callback_(*candidate, 1);
      return Adopt(std::move(source), *candidate, volumeNumber_ + 1);
    }
    if (!required) {
      const std::optional<std::string> later = LaterVolumeAfter(names->path);
      if (!later) return VolumeStatus::NoMoreVolumes;
      why =
          "volume " + names->path + " is missing, though the later volume " + *later + " is there";
      required = true;
    }
    if (!callback_ || callback_(names->path, 0) != 0) {
      lastError_ = why;
      return VolumeStatus::Missing;
    }
  }
}

}  // namespace pelmora::unace::archive
