// The packed bytes of one member as one stream: the pieces the member has in
// consecutive volumes are joined, and encrypted data is deciphered on the way
// (one cipher chain over all pieces).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "unace/UnAceApi.h"
#include "unace/archive/VolumeSet.h"
#include "unace/crypto/AceCipher.h"
#include "unace/decode/Decoder.h"
#include "unace/format/Headers.h"

namespace pelmora::unace::archive {

class MemberStream final : public decode::PackedInput {
 public:
  // The volume set must stand at the start of the first piece's data.
  // `cipher` (may be null) deciphers the data; its chain is restarted here.
  MemberStream(VolumeSet& volumes, const format::FileHeader& firstPiece, crypto::AceCipher* cipher);

  std::size_t Read(std::uint8_t* dst, std::size_t max) override;

  // Passes over whatever of the member is still unread, in every volume, so
  // the volume set stands at the next block. ACE_OK or the failure's code.
  int SkipRest();

  // ACE_OK, or the code of what stopped the stream early (missing volume,
  // damaged continuation header, read error); details in error().
  int Failure() const { return failure_; }
  const std::string& Error() const { return error_; }

  // The CRC of the whole member: stored in the member's last piece.
  std::uint32_t FinalCrc() const { return finalCrc_; }

 private:
  std::size_t ReadRaw(std::uint8_t* dst, std::size_t max);
  bool NextPiece();
  void Fail(int code, std::string why);
  bool Refill();

  VolumeSet& volumes_;
  std::string name_;
  bool continues_;
  std::uint64_t pieceLeft_;
  std::uint32_t finalCrc_;
  crypto::AceCipher* cipher_;

  std::vector<std::uint8_t> buffer_;
  std::size_t begin_ = 0;     // next byte to hand out
  std::size_t readyEnd_ = 0;  // end of the bytes ready to hand out
  std::size_t rawEnd_ = 0;    // end of the bytes read (ready + an incomplete cipher block)
  bool exhausted_ = false;

  int failure_ = ACE_OK;
  std::string error_;
};

}  // namespace pelmora::unace::archive
