#include "unace/archive/MemberStream.h"

#include <algorithm>
#include <cstring>
#include <variant>

#include "unace/archive/BlockReader.h"

namespace pelmora::unace::archive {
namespace {
constexpr std::size_t kBufferBytes = 64 * 1024;
}

MemberStream::MemberStream(VolumeSet& volumes, const format::FileHeader& firstPiece,
                           crypto::AceCipher* cipher)
    : volumes_(volumes),
      name_(firstPiece.name),
      continues_(firstPiece.ContinuesInNext()),
      pieceLeft_(firstPiece.packedSize),
      finalCrc_(firstPiece.crc32),
      cipher_(cipher),
      buffer_(kBufferBytes) {
  if (cipher_) cipher_->RestartChain();
}

void MemberStream::Fail(int code, std::string why) {
  if (failure_ == ACE_OK) {
    failure_ = code;
    error_ = std::move(why);
  }
  exhausted_ = true;
}

bool MemberStream::NextPiece() {
  if (volumes_.OpenNext(true) != VolumeStatus::Ok) {
    Fail(ACE_ERR_VOLUME, volumes_.LastError());
    return false;
  }
  const std::variant<RawBlock, EndOfVolume, format::HeaderProblem> read =
      ReadBlock(volumes_.Source());
  const RawBlock* block = std::get_if<RawBlock>(&read);
  if (!block) {
    const format::HeaderProblem* problem = std::get_if<format::HeaderProblem>(&read);
    Fail(ACE_ERR_HEADER,
         volumes_.CurrentPath() + ": " + (problem ? problem->text : "continuation missing"));
    return false;
  }
  const std::variant<format::FileHeader, format::HeaderProblem> parsed =
      format::ParseFileHeader(block->body);
  const format::FileHeader* piece = std::get_if<format::FileHeader>(&parsed);
  if (!piece || !piece->ContinuedFromPrevious() || piece->name != name_) {
    Fail(ACE_ERR_HEADER, volumes_.CurrentPath() + ": does not continue " + name_);
    return false;
  }
  continues_ = piece->ContinuesInNext();
  pieceLeft_ = piece->packedSize;
  finalCrc_ = piece->crc32;
  return true;
}

std::size_t MemberStream::ReadRaw(std::uint8_t* dst, std::size_t max) {
  while (pieceLeft_ == 0) {
    if (!continues_ || failure_ != ACE_OK) return 0;
    if (!NextPiece()) return 0;
  }
  const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(max, pieceLeft_));
  const std::size_t got = volumes_.Source().Read(dst, want);
  pieceLeft_ -= got;
  if (got < want)
    Fail(ACE_ERR_DATA, volumes_.CurrentPath() + ": read error in the data of " + name_);
  return got;
}

bool MemberStream::Refill() {
  // Keep the incomplete cipher block (if any) at the front.
  const std::size_t tail = rawEnd_ - readyEnd_;
  if (tail != 0) std::memmove(buffer_.data(), buffer_.data() + readyEnd_, tail);
  begin_ = readyEnd_ = 0;
  rawEnd_ = tail;
  while (readyEnd_ == 0) {
    const std::size_t got = ReadRaw(buffer_.data() + rawEnd_, buffer_.size() - rawEnd_);
    if (got == 0) {
      exhausted_ = true;  // an incomplete last cipher block cannot be deciphered: dropped
      return false;
    }
    rawEnd_ += got;
    if (cipher_) {
      const std::size_t whole = rawEnd_ - rawEnd_ % crypto::kCipherBlockBytes;
      cipher_->Decrypt(buffer_.data(), whole);
      readyEnd_ = whole;
    } else {
      readyEnd_ = rawEnd_;
    }
  }
  return true;
}

std::size_t MemberStream::Read(std::uint8_t* dst, std::size_t max) {
  if (begin_ == readyEnd_ && (exhausted_ || !Refill())) return 0;
  const std::size_t n = std::min(max, readyEnd_ - begin_);
  std::memcpy(dst, buffer_.data() + begin_, n);
  begin_ += n;
  return n;
}

int MemberStream::SkipRest() {
  begin_ = readyEnd_ = rawEnd_ = 0;
  exhausted_ = true;
  while (failure_ == ACE_OK) {
    if (pieceLeft_ != 0) {
      io::ByteSource& source = volumes_.Source();
      if (!source.Seek(source.Position() + pieceLeft_)) {
        Fail(ACE_ERR_DATA, volumes_.CurrentPath() + ": cannot pass over the data of " + name_);
        break;
      }
      pieceLeft_ = 0;
    }
    if (!continues_) break;
    NextPiece();
  }
  return failure_;
}

}  // namespace pelmora::unace::archive
