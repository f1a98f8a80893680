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
  OpenVolume(std::move(firstVolume));
}

VolumeSet::~VolumeSet() {
  if (finished_) return;
  current_.reset();
  for (const std::string& path : written_) std::remove(path.c_str());
}

void VolumeSet::OpenVolume(std::string path) {
  current_.emplace(std::move(path));
  written_.push_back(current_->Path());
  const std::vector<std::uint8_t> header = SerializeMainHeader(main_);
  mainHeaderSize_ = header.size();
  current_->Write(header);
}

void VolumeSet::StartNextVolume() {
  // Volume numbers (one byte) would last longer than the names do.
  const auto next = format::NextVolumeNameAfter(current_->Path());
  if (!next)
    throw std::runtime_error("the archive needs more than the " + std::to_string(written_.size()) +
                             " volumes that can be named (the last one is " + current_->Path() +
                             "); choose a larger volume size");
  WriteHeld();
  current_->Close();
  ++main_.volumeNumber;
  OpenVolume(next->path);
}

void VolumeSet::ContinueOpenPieceInNextVolume(const std::string& nextMember) {
  if (!openPiece_)
    throw std::invalid_argument(
        "volume size " + std::to_string(volumeSize_) + " is too small: " + current_->Path() +
        " would end between entries, before " + nextMember +
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
  current_->Overwrite(piece.headerOffset, SerializeFileHeader(shortened));
  StartNextVolume();

  FileHeader continuation = piece.header;
  continuation.flags =
      (piece.header.flags & ~kContinuationFlags) | format::flags::kContinuedFromPrevious;
  continuation.packedSize = 1;
  current_->Write(SerializeFileHeader(continuation));
  current_->Write(moved);  // the moved byte, then the entries that followed it
}

std::uint64_t VolumeSet::RoomLeft() const {
  if (volumeSize_ == 0) return std::numeric_limits<std::uint64_t>::max();
  const std::uint64_t used = current_->Size() + held_.size();
  return volumeSize_ > used ? volumeSize_ - used : 0;
}

bool VolumeSet::VolumeEmpty() const { return current_->Size() == mainHeaderSize_ && held_.empty(); }

void VolumeSet::WriteMember(FileHeader header, std::span<const std::uint8_t> packed) {
  MemorySource source(packed);
  WriteMember(std::move(header), source);
}

void VolumeSet::Copy(PackedSource& packed, std::uint64_t bytes) {
  std::vector<std::uint8_t> buffer(
      static_cast<std::size_t>(std::min<std::uint64_t>(bytes, 1u << 20)));
  while (bytes > 0) {
    const std::span<std::uint8_t> chunk(
        buffer.data(), static_cast<std::size_t>(std::min<std::uint64_t>(bytes, buffer.size())));
    packed.Read(chunk);
    current_->Write(chunk);
    bytes -= chunk.size();
  }
}

void VolumeSet::WriteHeld() {
  current_->Write(held_);
  held_.clear();
  openPiece_.reset();
}

void VolumeSet::WritePiece(const FileHeader& header, PackedSource& packed, std::uint64_t bytes) {
  const bool volumeEndsHere = (header.flags & format::flags::kContinuesInNext) != 0;
  if (volumeSize_ == 0 || volumeEndsHere) {
    WriteHeld();
    current_->Write(SerializeFileHeader(header));
    Copy(packed, bytes);
    return;
  }
  if (bytes >= 2) {
    WriteHeld();
    openPiece_ = OpenPiece{header, current_->Size()};
    current_->Write(SerializeFileHeader(header));
    Copy(packed, bytes - 1);
    held_.resize(1);
    packed.Read(held_);
    return;
  }
  // A folder, an empty file or a one-byte piece cannot continue in the next
  // volume; behind an open piece it waits, so it can follow that piece there.
  std::vector<std::uint8_t> bytesOfPiece = SerializeFileHeader(header);
  const std::size_t headerSize = bytesOfPiece.size();
  bytesOfPiece.resize(headerSize + bytes);
  packed.Read(std::span<std::uint8_t>(bytesOfPiece).subspan(headerSize));
  if (openPiece_)
    held_.insert(held_.end(), bytesOfPiece.begin(), bytesOfPiece.end());
  else
    current_->Write(bytesOfPiece);
}

void VolumeSet::WriteMember(FileHeader header, PackedSource& packed) {
  if (finished_) throw std::logic_error("archive already finished");
  if (packed.Size() > std::numeric_limits<std::uint32_t>::max())
    throw std::invalid_argument("packed data of " + header.name + " exceeds 4 GiB");
  const std::uint16_t baseFlags = header.flags & ~kContinuationFlags;
  const std::uint64_t headerSize = FileHeaderSize(header.name.size());
  std::uint64_t left = packed.Size();
  bool firstPiece = true;
  for (;;) {
    // A piece carries at least one byte of data, so that no volume ends in a
    // header whose data all lies in the next one.
    const std::uint64_t needed = headerSize + (left == 0 ? 0 : 1);
    if (RoomLeft() < needed) {
      if (VolumeEmpty())
        throw std::invalid_argument("volume size " + std::to_string(volumeSize_) +
                                    " is too small for the header of " + header.name +
                                    " (a volume needs at least " +
                                    std::to_string(mainHeaderSize_ + needed) + " bytes)");
      ContinueOpenPieceInNextVolume(header.name);
      continue;
    }
    const std::uint64_t piece = std::min<std::uint64_t>(left, RoomLeft() - headerSize);
    const bool last = piece == left;
    header.flags = baseFlags;
    if (!firstPiece) header.flags |= format::flags::kContinuedFromPrevious;
    if (!last) header.flags |= format::flags::kContinuesInNext;
    header.packedSize = static_cast<std::uint32_t>(piece);
    WritePiece(header, packed, piece);
    left -= piece;
    if (last) return;
    firstPiece = false;
    StartNextVolume();
  }
}

VolumeSet::Result VolumeSet::Finish() {
  if (finished_) throw std::logic_error("archive already finished");
  WriteHeld();
  current_->Close();
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
