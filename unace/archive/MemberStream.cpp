#include "unace/archive/MemberStream.h"

#include <algorithm>
#include <cstring>

#include "unace/archive/BlockReader.h"

namespace pelmora::unace::archive {
namespace {
constexpr std::size_t kBufferBytes = 64 * 1024;
}

MemberStream::MemberStream(VolumeSet& volumes, const format::FileHeader& firstPiece, crypto::AceCipher* cipher)
    : volumes_(volumes),
      name_(firstPiece.name),
      continues_(firstPiece.continuesInNext()),
      pieceLeft_(firstPiece.packedSize),
      finalCrc_(firstPiece.crc32),
      cipher_(cipher),
      buffer_(kBufferBytes) {
  if (cipher_) cipher_->restartChain();
}

void MemberStream::fail(int code, std::string why) {
  if (failure_ == ACE_OK) {
    failure_ = code;
    error_ = std::move(why);
  }
  exhausted_ = true;
}

bool MemberStream::nextPiece() {
  if (volumes_.openNext(true) != VolumeStatus::Ok) {
    fail(ACE_ERR_VOLUME, volumes_.lastError());
    return false;
  }
  RawBlock block;
  std::string why;
  if (ReadBlock(volumes_.source(), block, why) != BlockStatus::Ok) {
    fail(ACE_ERR_HEADER, volumes_.currentPath() + ": " + (why.empty() ? "continuation missing" : why));
    return false;
  }
  auto piece = format::ParseFileHeader(block.body, why);
  if (!piece || !piece->continuedFromPrevious() || piece->name != name_) {
    fail(ACE_ERR_HEADER, volumes_.currentPath() + ": does not continue " + name_);
    return false;
  }
  continues_ = piece->continuesInNext();
  pieceLeft_ = piece->packedSize;
  finalCrc_ = piece->crc32;
  return true;
}

std::size_t MemberStream::readRaw(std::uint8_t* dst, std::size_t max) {
  while (pieceLeft_ == 0) {
    if (!continues_ || failure_ != ACE_OK) return 0;
    if (!nextPiece()) return 0;
  }
  const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(max, pieceLeft_));
  const std::size_t got = volumes_.source().read(dst, want);
  pieceLeft_ -= got;
  if (got < want) fail(ACE_ERR_DATA, volumes_.currentPath() + ": read error in the data of " + name_);
  return got;
}

bool MemberStream::refill() {
  // Keep the incomplete cipher block (if any) at the front.
  const std::size_t tail = rawEnd_ - readyEnd_;
  if (tail != 0) std::memmove(buffer_.data(), buffer_.data() + readyEnd_, tail);
  begin_ = readyEnd_ = 0;
  rawEnd_ = tail;
  while (readyEnd_ == 0) {
    const std::size_t got = readRaw(buffer_.data() + rawEnd_, buffer_.size() - rawEnd_);
    if (got == 0) {
      exhausted_ = true;  // an incomplete last cipher block cannot be deciphered: dropped
      return false;
    }
    rawEnd_ += got;
    if (cipher_) {
      const std::size_t whole = rawEnd_ - rawEnd_ % crypto::kCipherBlockBytes;
      cipher_->decrypt(buffer_.data(), whole);
      readyEnd_ = whole;
    } else {
      readyEnd_ = rawEnd_;
    }
  }
  return true;
}

std::size_t MemberStream::read(std::uint8_t* dst, std::size_t max) {
  if (begin_ == readyEnd_ && (exhausted_ || !refill())) return 0;
  const std::size_t n = std::min(max, readyEnd_ - begin_);
  std::memcpy(dst, buffer_.data() + begin_, n);
  begin_ += n;
  return n;
}

int MemberStream::skipRest() {
  begin_ = readyEnd_ = rawEnd_ = 0;
  exhausted_ = true;
  while (failure_ == ACE_OK) {
    if (pieceLeft_ != 0) {
      io::ByteSource& source = volumes_.source();
      if (!source.seek(source.position() + pieceLeft_)) {
        fail(ACE_ERR_DATA, volumes_.currentPath() + ": cannot pass over the data of " + name_);
        break;
      }
      pieceLeft_ = 0;
    }
    if (!continues_) break;
    nextPiece();
  }
  return failure_;
}

}  // namespace pelmora::unace::archive
