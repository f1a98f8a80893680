#include "contract/Sha256.h"

#include <gtest/gtest.h>

namespace pelmora::contract {
namespace {

// The standard's own examples, the empty message, and a million "a"s fed in
// pieces that straddle the 64-byte blocks (the padding's two cases: 55 bytes
// fit one block, 56 need a second).
TEST(Sha256, StandardTestVectorsWholeAndInPieces) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256Hex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjk"
                      "lmnopqklmnopqrlmnopqrsmnopqrstnopqrstu"),
            "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
  EXPECT_EQ(Sha256Hex(std::string(55, 'a')),
            "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
  EXPECT_EQ(Sha256Hex(std::string(56, 'a')),
            "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");

  Sha256 pieces;
  const std::string chunk(997, 'a');  // a prime: the pieces fall anywhere in a block
  std::size_t added = 0;
  for (; added + chunk.size() <= 1000000; added += chunk.size()) pieces.Add(chunk);
  pieces.Add(std::string(1000000 - added, 'a'));
  const Sha256::Digest digest = pieces.Finish();
  EXPECT_EQ(digest[0], 0xcd);
  EXPECT_EQ(digest[31], 0xd0);
  EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
}  // namespace pelmora::contract
