// SHA-256, for the digests with which the setup vouches for what it left
// in a folder others may write: the protocol and the COM servers it
// registered. The uninstaller recomputes them before it trusts either.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelmora::contract {

class Sha256 {
 public:
  using Digest = std::array<std::uint8_t, 32>;

  Sha256();
  // Adds bytes; a message may come in any number of pieces.
  void Add(std::string_view bytes);
  // The digest of everything added; the object is spent afterwards.
  Digest Finish();

 private:
  void Compress(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;  // bytes added so far
};

// A digest as 64 lowercase hexadecimal digits, the form the Uninstall entry
// keeps it in.
std::string DigestHex(const Sha256::Digest& digest);

// The digest of bytes in that form.
std::string Sha256Hex(std::string_view bytes);

}  // namespace pelmora::contract
