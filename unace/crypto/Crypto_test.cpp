#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "unace/crypto/AceCipher.h"
#include "unace/crypto/AceKey.h"

namespace {

using pelmora::unace::crypto::AceCipher;
using pelmora::unace::crypto::AceKey;
using pelmora::unace::crypto::DeriveAceKey;

TEST(AceKey, DerivesTheDocumentedKeys) {
  EXPECT_EQ(DeriveAceKey("123456789"),
            (AceKey{0xB70ECB9Cu, 0xC63C99E5u, 0xF1E50085u, 0x4E0246FEu, 0x3571369Eu}));
  EXPECT_EQ(DeriveAceKey("1234"),
            (AceKey{0x42E17F0Fu, 0x0416C052u, 0xBD187D39u, 0xA7AF418Fu, 0x0B6311FDu}));
}

TEST(AceKey, OnlyTheFirstFiftyBytesCount) {
  const std::string fifty(50, 'x');
  EXPECT_EQ(DeriveAceKey(fifty + "tail"), DeriveAceKey(fifty));
  EXPECT_NE(DeriveAceKey(fifty.substr(0, 49)), DeriveAceKey(fifty));
}

std::vector<std::uint8_t> Cipher(const char* password, bool encrypt,
                                 std::vector<std::uint8_t> data) {
  AceCipher cipher(DeriveAceKey(password));
  if (encrypt)
    cipher.Encrypt(data.data(), data.size());
  else
    cipher.Decrypt(data.data(), data.size());
  return data;
}

TEST(AceCipher, MatchesTheDocumentedVectors) {
  EXPECT_EQ(Cipher("123456789", false, std::vector<std::uint8_t>(8, 0xFF)),
            (std::vector<std::uint8_t>{0xB7, 0x77, 0x46, 0x40, 0x35, 0x2E, 0x65, 0x72}));

  const char* text = "ACE test vector!";
  EXPECT_EQ(Cipher("1234", true, std::vector<std::uint8_t>(text, text + 16)),
            (std::vector<std::uint8_t>{0xB2, 0xFB, 0xA5, 0x4F, 0xE8, 0x2D, 0xA3, 0x7C, 0xED, 0xB7,
                                       0x00, 0x24, 0x73, 0x8E, 0x76, 0x7A}));

  EXPECT_EQ(Cipher("123456789", false, std::vector<std::uint8_t>(16, 0x37)),
            (std::vector<std::uint8_t>{0x09, 0x5F, 0xD0, 0x61, 0x7D, 0x1D, 0x68, 0xDD, 0x3E, 0x68,
                                       0xE7, 0x56, 0x4A, 0x2A, 0x5F, 0xEA}));
}

TEST(AceCipher, ChainContinuesAcrossCallsAndRestartsPerMember) {
  std::vector<std::uint8_t> plain(64);
  for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<std::uint8_t>(i * 13);
  const std::vector<std::uint8_t> cipherText = Cipher("secret", true, plain);
  ASSERT_NE(cipherText, plain);

  // Decrypting in pieces (as across volumes) gives the same plain text.
  AceCipher cipher(DeriveAceKey("secret"));
  std::vector<std::uint8_t> pieces = cipherText;
  cipher.Decrypt(pieces.data(), 24);
  cipher.Decrypt(pieces.data() + 24, 40);
  EXPECT_EQ(pieces, plain);

  // A second member starts again with a zero chaining value.
  cipher.RestartChain();
  std::vector<std::uint8_t> again = cipherText;
  cipher.Decrypt(again.data(), again.size());
  EXPECT_EQ(again, plain);
}

}  // namespace
