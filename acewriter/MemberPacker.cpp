#include "acewriter/MemberPacker.h"

#include "acewriter/AceHeaders.h"
#include "unace/crypto/AceKey.h"
#include "unace/format/Crc.h"

namespace pelmora::acewriter {
namespace {

encode::Options EncoderOptions(const ArchiveOptions& options) {
  encode::Options e;
  e.method = options.method == PackMethod::Ace20 ? encode::Method::Blocked : encode::Method::Lz77;
  e.mode = options.mode;
  e.dictionaryBits = options.dictionaryBits;
  e.level = options.level;
  return e;
}

}  // namespace

MemberPacker::MemberPacker(const ArchiveOptions& options) : options_(options) {
  if (options_.method != PackMethod::Stored) encoder_.emplace(EncoderOptions(options_));
  if (!options_.password.empty()) cipher_.emplace(unace::crypto::DeriveAceKey(options_.password));
}

std::uint8_t MemberPacker::Quality() const { return encoder_ ? encoder_->Quality() : 0; }

std::uint16_t MemberPacker::Params() const {
  if (encoder_) return encoder_->Params();
  return static_cast<std::uint16_t>(options_.dictionaryBits - 10);
}

std::uint8_t MemberPacker::ArchiveCompressionType() const {
  if (encoder_) return encoder_->CompressionType();
  return format::kStored;
}

PackedMember MemberPacker::Pack(std::span<const std::uint8_t> original) {
  PackedMember member;
  member.crc32 = unace::format::AceCrc32Of(original);
  if (original.empty()) return member;  // no data, no cipher, COMP_TYPE 0

  member.compressionType = format::kStored;
  if (encoder_) {
    member.storage = encoder_->EncodeMember(original, options_.solid);
    // Data that does not shrink is stored. Readers put a stored member's
    // original bytes into a solid archive's window; the encoder's window
    // holds what it coded, which for EXE and DELTA segments are filtered
    // bytes, so it must be told.
    if (member.storage.size() < original.size()) {
      member.compressionType = encoder_->CompressionType();
    } else {
      encoder_->StoreInstead(original);
      member.storage.clear();
      member.storage.shrink_to_fit();
    }
  }
  if (cipher_) {
    if (member.compressionType == format::kStored)
      member.storage.assign(original.begin(), original.end());
    Encrypt(member.storage);
    member.encrypted = true;
  }
  member.storedAsIs = member.compressionType == format::kStored && !member.encrypted;
  if (member.storedAsIs) member.original = original;
  return member;
}

void MemberPacker::Encrypt(std::vector<std::uint8_t>& data) {
  // The cipher works on whole 8-byte blocks; readers stop at ORIG_SIZE, so
  // the padding's value does not matter.
  const std::size_t block = unace::crypto::kCipherBlockBytes;
  data.resize((data.size() + block - 1) / block * block, 0);
  cipher_->RestartChain();
  cipher_->Encrypt(data.data(), data.size());
}

}  // namespace pelmora::acewriter
