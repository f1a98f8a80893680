// Test helpers: code a member in pieces, decode packed members with the
// extraction side's decoder, and wrap them into a minimal archive for
// Debian's unace.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "acewriter/encode/Encoder.h"
#include "unace/decode/Decoder.h"
#include "unace/format/Crc.h"
#include "TestFiles.h"

namespace pelmora::acewriter::encode::test {

using Bytes = std::vector<std::uint8_t>;

class SpanInput : public unace::decode::PackedInput {
 public:
  explicit SpanInput(const Bytes& bytes) : bytes_(bytes) {}
  std::size_t Read(std::uint8_t* dst, std::size_t max) override {
    const std::size_t n = std::min(max, bytes_.size() - pos_);
    if (n) std::memcpy(dst, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  const Bytes& bytes_;
  std::size_t pos_ = 0;
};

class CollectOutput : public unace::decode::Output {
 public:
  bool Write(const std::uint8_t* data, std::size_t n) override {
    bytes.insert(bytes.end(), data, data + n);
    return true;
  }
  Bytes bytes;
};

// Whether `packed`, decoded as one member, gives exactly `expected`; if not,
// the decoder's complaint or how much came back.
inline ::testing::AssertionResult DecodesTo(unace::decode::Decoder& decoder, const Bytes& packed,
                                            const Bytes& expected, std::uint32_t dictionaryBits,
                                            bool blocked, bool solid) {
  SpanInput in(packed);
  CollectOutput out;
  const auto status = decoder.DecodeMember(in, out, expected.size(),
                                           std::uint32_t{1} << dictionaryBits, blocked, solid);
  if (status != unace::decode::Status::Ok)
    return ::testing::AssertionFailure() << "decoder: " << decoder.LastError();
  if (out.bytes != expected)
    return ::testing::AssertionFailure()
           << "other bytes back (" << out.bytes.size() << " of " << expected.size() << ")";
  return ::testing::AssertionSuccess();
}

// Codes `data` as one member fed in pieces of nextPiece() bytes (the last
// one shorter), collecting the packed bytes as the encoder hands them out:
// always whole 32-bit words.
template <typename NextPiece>
Bytes EncodeInPieces(Encoder& encoder, const Bytes& data, bool solid, NextPiece&& nextPiece) {
  encoder.BeginMember(solid, data.size());
  Bytes packed;
  for (std::size_t at = 0; at < data.size();) {
    const std::size_t n = std::min<std::size_t>(data.size() - at, nextPiece());
    encoder.Feed(std::span<const std::uint8_t>(data).subspan(at, n));
    at += n;
    const Bytes done = encoder.TakePacked();
    EXPECT_EQ(done.size() % 4, 0u);
    packed.insert(packed.end(), done.begin(), done.end());
  }
  const Bytes rest = encoder.FinishMember();
  packed.insert(packed.end(), rest.begin(), rest.end());
  return packed;
}

inline Bytes RandomBytes(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& x : b) x = static_cast<std::uint8_t>(rng());
  return b;
}

// Text-like data: words from a small vocabulary, so it compresses well.
inline Bytes WordSoup(std::size_t n, std::uint32_t seed) {
  static const char* const kWords[] = {"the ",   "setup ",     "archive ",  "window ",
                                       "match ", "Huffman ",   "distance ", "of ",
                                       "and ",   "member\r\n", "solid ",    "block "};
  std::mt19937 rng(seed);
  Bytes b;
  while (b.size() < n) {
    const char* w = kWords[rng() % 12];
    b.insert(b.end(), w, w + std::strlen(w));
  }
  b.resize(n);
  return b;
}

// Stretches of a few KiB of different kinds in turn (words, the same words
// as UTF-16, random bytes, a run of one byte), so that the best codes change
// every few thousand items and the coder cuts many blocks of uneven sizes.
inline Bytes ChangingKinds(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b;
  while (b.size() < n) {
    const std::size_t length = 2000 + rng() % 9000;
    const auto part = rng();
    switch (part % 4) {
      case 0: {
        const Bytes words = WordSoup(length, part);
        b.insert(b.end(), words.begin(), words.end());
        break;
      }
      case 1:
        for (const std::uint8_t c : WordSoup(length / 2, part)) b.insert(b.end(), {c, 0});
        break;
      case 2: {
        const Bytes random = RandomBytes(length, part);
        b.insert(b.end(), random.begin(), random.end());
        break;
      }
      default:
        b.insert(b.end(), length, static_cast<std::uint8_t>(part >> 8));
    }
  }
  b.resize(n);
  return b;
}

struct ArchiveMember {
  std::string name;
  Bytes original;
  Bytes packed;  // empty with compType 0 means stored as is
  std::uint8_t compType;
};

inline void PutLe(Bytes& b, std::uint64_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline void AppendHeader(Bytes& archive, const Bytes& body) {
  PutLe(archive, unace::format::HeaderCrc16(body), 2);
  PutLe(archive, body.size(), 2);
  archive.insert(archive.end(), body.begin(), body.end());
}

// A plain ACE 1.0/2.0 archive with FILE32 headers carrying the 4 extra
// bytes Debian's unace wants.
inline Bytes BuildArchive(const std::vector<ArchiveMember>& members, std::uint16_t params,
                          bool solid) {
  Bytes archive;
  bool v20 = false;
  for (const auto& m : members) v20 = v20 || m.compType == 2;
  Bytes mainBody;
  mainBody.reserve(64);
  mainBody.push_back(0);  // MAIN
  PutLe(mainBody, solid ? 0x8000 : 0, 2);
  const char sign[] = "**ACE**";
  mainBody.insert(mainBody.end(), sign, sign + 7);
  mainBody.push_back(v20 ? 20 : 10);
  mainBody.push_back(v20 ? 20 : 10);
  mainBody.push_back(2);
  mainBody.push_back(0);
  PutLe(mainBody, 0x58210000, 4);
  PutLe(mainBody, 0, 8);
  mainBody.push_back(0);
  AppendHeader(archive, mainBody);
  for (const auto& m : members) {
    const Bytes& data = m.compType == 0 ? m.original : m.packed;
    Bytes body;
    body.reserve(64 + m.name.size());
    body.push_back(1);  // FILE32
    PutLe(body, solid ? 0x8001 : 0x0001, 2);
    PutLe(body, data.size(), 4);
    PutLe(body, m.original.size(), 4);
    PutLe(body, 0x58210000, 4);
    PutLe(body, 0x20, 4);
    PutLe(body, unace::format::AceCrc32Of(m.original), 4);
    body.push_back(m.compType);
    body.push_back(3);
    PutLe(body, params, 2);
    PutLe(body, 0, 2);
    PutLe(body, m.name.size(), 2);
    body.insert(body.end(), m.name.begin(), m.name.end());
    PutLe(body, 0, 4);
    AppendHeader(archive, body);
    archive.insert(archive.end(), data.begin(), data.end());
  }
  return archive;
}

}  // namespace pelmora::acewriter::encode::test
