#include "acewriter/VolumeSet.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "unace/format/VolumeNames.h"

namespace pelmora::acewriter {
namespace {

constexpr std::uint16_t kContinuationFlags =
    format::flags::kContinuedFromPrevious | format::flags::kContinuesInNext;

}  // namespace

VolumeSet::VolumeSet(std::string firstVolume, const MainHeader& main, std::uint64_t volumeSize)
    : main_(main), volumeSize_(volumeSize) {
  if (volumeSize_ > 0) main_.flags |= format::flags::kMultiVolume;
  main_.volumeNumber = 0;
  openVolume(std::move(firstVolume));
}

VolumeSet::~VolumeSet() {
  if (finished_) return;
  current_.reset();
  for (const std::string& path : written_) std::remove(path.c_str());
}

void VolumeSet::openVolume(std::string path) {
  current_.emplace(std::move(path));
  written_.push_back(current_->path());
  const std::vector<std::uint8_t> header = SerializeMainHeader(main_);
  mainHeaderSize_ = header.size();
  current_->write(header);
}

void VolumeSet::startNextVolume() {
  // Volume numbers (one byte) would last longer than the names do.
  const auto next = format::NextVolumeNameAfter(current_->path());
  if (!next)
    throw std::runtime_error("the archive needs more than the " + std::to_string(written_.size()) +
                             " volumes that can be named (the last one is " + current_->path() +
                             "); choose a larger volume size");
  writeHeld();
  current_->close();
  ++main_.volumeNumber;
  openVolume(next->path);
}

void VolumeSet::continueOpenPieceInNextVolume(const std::string& nextMember) {
  if (!openPiece_)
    throw std::invalid_argument("volume size " + std::to_string(volumeSize_) + " is too small: " +
                                current_->path() + " would end between entries, before " + nextMember +
                                ", because it holds no piece of data of more than one byte that could "
                                "continue in the next volume (a reader could not tell that volume's end "
                                "from the end of the archive)");
  const OpenPiece piece = *openPiece_;
  const std::vector<std::uint8_t> moved = std::move(held_);
  held_.clear();
  openPiece_.reset();

  FileHeader shortened = piece.header;
  shortened.packedSize -= 1;
  shortened.flags |= format::flags::kContinuesInNext;
  current_->overwrite(piece.headerOffset, SerializeFileHeader(shortened));
  startNextVolume();

  FileHeader continuation = piece.header;
  continuation.flags = (piece.header.flags & ~kContinuationFlags) | format::flags::kContinuedFromPrevious;
  continuation.packedSize = 1;
  current_->write(SerializeFileHeader(continuation));
  current_->write(moved);  // the moved byte, then the entries that followed it
}

std::uint64_t VolumeSet::roomLeft() const {
  if (volumeSize_ == 0) return std::numeric_limits<std::uint64_t>::max();
  const std::uint64_t used = current_->size() + held_.size();
  return volumeSize_ > used ? volumeSize_ - used : 0;
}

bool VolumeSet::volumeEmpty() const { return current_->size() == mainHeaderSize_ && held_.empty(); }

void VolumeSet::writeMember(FileHeader header, std::span<const std::uint8_t> packed) {
  MemorySource source(packed);
  writeMember(std::move(header), source);
}

void VolumeSet::copy(PackedSource& packed, std::uint64_t bytes) {
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(bytes, 1u << 20)));
  while (bytes > 0) {
    const std::span<std::uint8_t> chunk(buffer.data(),
                                        static_cast<std::size_t>(std::min<std::uint64_t>(bytes, buffer.size())));
    packed.read(chunk);
    current_->write(chunk);
    bytes -= chunk.size();
  }
}

void VolumeSet::writeHeld() {
  current_->write(held_);
  held_.clear();
  openPiece_.reset();
}

void VolumeSet::writePiece(const FileHeader& header, PackedSource& packed, std::uint64_t bytes) {
  const bool volumeEndsHere = (header.flags & format::flags::kContinuesInNext) != 0;
  if (volumeSize_ == 0 || volumeEndsHere) {
    writeHeld();
    current_->write(SerializeFileHeader(header));
    copy(packed, bytes);
    return;
  }
  if (bytes >= 2) {
    writeHeld();
    openPiece_ = OpenPiece{header, current_->size()};
    current_->write(SerializeFileHeader(header));
    copy(packed, bytes - 1);
    held_.resize(1);
    packed.read(held_);
    return;
  }
  // A folder, an empty file or a one-byte piece cannot continue in the next
  // volume; behind an open piece it waits, so it can follow that piece there.
  std::vector<std::uint8_t> bytesOfPiece = SerializeFileHeader(header);
  const std::size_t headerSize = bytesOfPiece.size();
  bytesOfPiece.resize(headerSize + bytes);
  packed.read(std::span<std::uint8_t>(bytesOfPiece).subspan(headerSize));
  if (openPiece_)
    held_.insert(held_.end(), bytesOfPiece.begin(), bytesOfPiece.end());
  else
    current_->write(bytesOfPiece);
}

void VolumeSet::writeMember(FileHeader header, PackedSource& packed) {
  if (finished_) throw std::logic_error("archive already finished");
  if (packed.size() > std::numeric_limits<std::uint32_t>::max())
    throw std::invalid_argument("packed data of " + header.name + " exceeds 4 GiB");
  const std::uint16_t baseFlags = header.flags & ~kContinuationFlags;
  const std::uint64_t headerSize = FileHeaderSize(header.name.size());
  std::uint64_t left = packed.size();
  bool firstPiece = true;
  for (;;) {
    // A piece carries at least one byte of data, so that no volume ends in a
    // header whose data all lies in the next one.
    const std::uint64_t needed = headerSize + (left == 0 ? 0 : 1);
    if (roomLeft() < needed) {
      if (volumeEmpty())
        throw std::invalid_argument("volume size " + std::to_string(volumeSize_) +
                                    " is too small for the header of " + header.name +
                                    " (a volume needs at least " +
                                    std::to_string(mainHeaderSize_ + needed) + " bytes)");
      continueOpenPieceInNextVolume(header.name);
      continue;
    }
    const std::uint64_t piece = std::min<std::uint64_t>(left, roomLeft() - headerSize);
    const bool last = piece == left;
    header.flags = baseFlags;
    if (!firstPiece) header.flags |= format::flags::kContinuedFromPrevious;
    if (!last) header.flags |= format::flags::kContinuesInNext;
    header.packedSize = static_cast<std::uint32_t>(piece);
    writePiece(header, packed, piece);
    left -= piece;
    if (last) return;
    firstPiece = false;
    startNextVolume();
  }
}

VolumeSet::Result VolumeSet::finish() {
  if (finished_) throw std::logic_error("archive already finished");
  writeHeld();
  current_->close();
  Result result;
  result.volumes = written_;
  if (volumeSize_ > 0) {
    std::string stale = written_.back();
    for (;;) {
      const auto next = format::NextVolumeNameAfter(stale);
      if (!next) break;
      stale = next->path;
      if (!FileExists(stale)) break;
      if (std::remove(stale.c_str()) != 0)
        throw std::runtime_error("cannot delete the old volume " + stale +
                                 ", which readers would take for part of the new archive");
      result.removedStale.push_back(stale);
    }
  }
  finished_ = true;
  return result;
}

}  // namespace pelmora::acewriter
