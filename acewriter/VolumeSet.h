// The files an archive is written to. Without a volume size everything goes
// into one file; with one, each volume is filled up to that size, a member
// that does not fit is cut at a byte boundary, and every piece gets its own
// FILE header (first piece "continues in next", middle ones both flags, the
// last "continued from previous"), as multi-volume readers expect.
//
// The format has no mark for the last volume: a reader that finds no next
// volume after one that ends between entries takes the archive for
// complete. So only the last volume ends between entries. When a volume
// fills right after an entry, the last byte of the last piece that has more
// than one moves to the next volume as a continuation, and the folders,
// empty files and one-byte pieces written after it follow it there. For
// that, the volume's last data byte and what comes after it are held back
// until it is known whether the next member still fits.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "acewriter/AceHeaders.h"
#include "acewriter/OutputFile.h"
#include "acewriter/PackedSource.h"

namespace pelmora::acewriter {

class VolumeSet {
 public:
  // `volumeSize` 0 writes a single file. Opens the first volume at once.
  VolumeSet(std::string firstVolume, const MainHeader& main, std::uint64_t volumeSize);
  // A set that was not finished (an error on the way) is removed again, so
  // that no half-written archive is mistaken for a good one.
  ~VolumeSet();
  VolumeSet(const VolumeSet&) = delete;
  VolumeSet& operator=(const VolumeSet&) = delete;

  // Writes the member's header(s) and packed data. header.packedSize and the
  // continuation flags are set here; header.crc32 must already be the CRC of
  // the whole member.
  void WriteMember(FileHeader header, std::span<const std::uint8_t> packed);
  void WriteMember(FileHeader header, PackedSource& packed);

  struct Result {
    std::vector<std::string> volumes;       // in order
    std::vector<std::string> removedStale;  // old successors that were deleted
  };
  // Closes the last volume. Files that an earlier, longer run left under the
  // names of further volumes are deleted: a reader would take them for the
  // continuation of this set.
  Result Finish();

 private:
  // The last piece of the current volume with more than one data byte,
  // whose last byte is the first one held back.
  struct OpenPiece {
    FileHeader header;
    std::uint64_t headerOffset = 0;
  };

  void OpenVolume(std::string path);
  void StartNextVolume();
  // Ends a full volume that would otherwise end between two entries.
  void ContinueOpenPieceInNextVolume(const std::string& nextMember);
  std::uint64_t RoomLeft() const;
  bool VolumeEmpty() const;
  void WritePiece(const FileHeader& header, PackedSource& packed, std::uint64_t bytes);
  void WriteHeld();
  void Copy(PackedSource& packed, std::uint64_t bytes);

  MainHeader main_;
  std::uint64_t volumeSize_;
  std::optional<OutputFile> current_;
  std::uint64_t mainHeaderSize_ = 0;
  std::optional<OpenPiece> openPiece_;
  std::vector<std::uint8_t> held_;  // belongs at the end of the current volume
  std::vector<std::string> written_;
  bool finished_ = false;
};

}  // namespace pelmora::acewriter
