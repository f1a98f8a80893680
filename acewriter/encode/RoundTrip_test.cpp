// ACE 1.0 streams decoded by the extraction side's decoder.
#include <gtest/gtest.h>

#include "acewriter/encode/Encoder.h"
#include "acewriter/encode/RoundTrip_testutil.h"

namespace pelmora::acewriter::encode {
namespace {

using test::Bytes;

struct Case {
  const char* name;
  Bytes data;
};

std::vector<Case> Inputs() {
  std::vector<Case> cases;
  cases.push_back({"one byte", Bytes{0x41}});
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
  cases.push_back({"all byte values", all});
  cases.push_back({"long run", Bytes(300000, 0x20)});
  Bytes twoByte;
  for (int i = 0; i < 5000; ++i) {
    twoByte.push_back(static_cast<std::uint8_t>(i % 7));
    twoByte.push_back(static_cast<std::uint8_t>((i * 13) % 11));
  }
  cases.push_back({"short repeats", twoByte});
  cases.push_back({"text", test::WordSoup(200000, 1)});
  cases.push_back({"random", test::RandomBytes(70000, 2)});
  // A random block repeated 200 KiB later: only distances beyond 64 KiB find it.
  Bytes far = test::RandomBytes(50000, 3);
  const Bytes gap = test::RandomBytes(200000, 4);
  Bytes farCase(far);
  farCase.insert(farCase.end(), gap.begin(), gap.end());
  farCase.insert(farCase.end(), far.begin(), far.end());
  cases.push_back({"far repeat", farCase});
  // Several full buffers of items, cut into blocks where the kind changes.
  cases.push_back({"changing kinds", test::ChangingKinds(400000, 5)});
  return cases;
}

class Lz77RoundTrip : public ::testing::TestWithParam<int> {};

TEST_P(Lz77RoundTrip, DecodesToTheInput) {
  Options options;
  options.level = GetParam();
  Encoder encoder(options);
  unace::decode::Decoder decoder;
  for (const auto& c : Inputs()) {
    const Bytes packed = encoder.EncodeMember(c.data, false);
    EXPECT_EQ(packed.size() % 4, 0u) << c.name;
    EXPECT_TRUE(test::DecodesTo(decoder, packed, c.data, 20, false, false)) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, Lz77RoundTrip, ::testing::Values(1, 3, 5));

TEST(Lz77Compression, RandomDataBarelyGrowsAndRedundantDataShrinks) {
  Encoder encoder(Options{});
  const Bytes random = test::RandomBytes(100000, 9);
  EXPECT_LT(encoder.EncodeMember(random, false).size(), random.size() + random.size() / 50);
  const Bytes text = test::WordSoup(100000, 5);
  EXPECT_LT(encoder.EncodeMember(text, false).size(), text.size() / 3);
  EXPECT_LT(encoder.EncodeMember(Bytes(100000, 7), false).size(), 400u);
}

TEST(Lz77Compression, FarRepeatIsFoundOnlyWithALargeEnoughDictionary) {
  Bytes data = test::RandomBytes(40000, 11);
  const Bytes gap = test::RandomBytes(100000, 12);
  const Bytes copy(data);
  data.insert(data.end(), gap.begin(), gap.end());
  data.insert(data.end(), copy.begin(), copy.end());
  Options large;
  large.dictionaryBits = 18;
  Options small;
  small.dictionaryBits = 16;  // the repeat is 140000 bytes back
  const auto packedLarge = Encoder(large).EncodeMember(data, false);
  const auto packedSmall = Encoder(small).EncodeMember(data, false);
  EXPECT_LT(packedLarge.size(), packedSmall.size() - 30000);
  unace::decode::Decoder decoder(1u << 16);
  EXPECT_TRUE(test::DecodesTo(decoder, packedSmall, data, 16, false, false));
}

TEST(Lz77Solid, LaterMembersReferToEarlierOnesAndStoredOnes) {
  const Bytes first = test::RandomBytes(30000, 21);
  const Bytes stored = test::RandomBytes(20000, 22);
  Bytes third(first);
  third.insert(third.end(), stored.begin(), stored.end());
  Encoder encoder(Options{});
  const Bytes p1 = encoder.EncodeMember(first, true);
  encoder.AppendStored(stored);
  const Bytes p3 = encoder.EncodeMember(third, true);
  EXPECT_LT(p3.size(), 200u) << "the third member should be two long matches";

  unace::decode::Decoder decoder;
  EXPECT_TRUE(test::DecodesTo(decoder, p1, first, 20, false, false));
  decoder.AppendStored(stored.data(), stored.size());
  EXPECT_TRUE(test::DecodesTo(decoder, p3, third, 20, false, true));
}

TEST(Lz77Solid, NonSolidMemberStartsFromAnEmptyWindow) {
  const Bytes data = test::RandomBytes(5000, 31);
  Encoder encoder(Options{});
  encoder.EncodeMember(data, false);
  const Bytes again = encoder.EncodeMember(data, false);
  EXPECT_GT(again.size(), data.size() / 2);
  unace::decode::Decoder decoder;
  EXPECT_TRUE(test::DecodesTo(decoder, again, data, 20, false, false));
}

}  // namespace
}  // namespace pelmora::acewriter::encode

namespace pelmora::acewriter::encode {
namespace {

TEST(Lz77Pieces, FeedingInPiecesDecodesLikeOneShot) {
  Bytes data = test::WordSoup(200000, 41);
  const Bytes noise = test::RandomBytes(400000, 42);
  data.insert(data.begin() + 100000, noise.begin(), noise.end());
  Encoder whole(Options{});
  const Bytes oneShot = whole.EncodeMember(data, false);

  Encoder pieces(Options{});
  unace::decode::Decoder decoder;
  std::mt19937 rng(43);
  std::size_t firstSize = 0;
  for (const bool solid : {false, true}) {
    const Bytes packed =
        test::EncodeInPieces(pieces, data, solid, [&rng] { return 1 + rng() % 70000; });
    EXPECT_TRUE(test::DecodesTo(decoder, packed, data, 20, false, solid));
    if (!solid) {
      EXPECT_LT(packed.size(), oneShot.size() + oneShot.size() / 100);
      firstSize = packed.size();
    } else {
      EXPECT_LT(packed.size(), firstSize / 10) << "the solid repeat should refer to the first copy";
    }
  }
}

TEST(Lz77Pieces, RefusesCallsOutOfOrderAndPicturesAndSoundsOfTheBlockedMethod) {
  Encoder encoder(Options{});
  EXPECT_THROW(encoder.Feed(Bytes{1}), std::logic_error);
  EXPECT_THROW(encoder.FinishMember(), std::logic_error);
  encoder.BeginMember(false, 0);
  EXPECT_THROW(encoder.BeginMember(false, 0), std::logic_error);
  EXPECT_THROW(encoder.EncodeMember(Bytes{1}, false), std::logic_error);
  EXPECT_TRUE(encoder.FinishMember().empty());
  Options blocked;
  blocked.method = Method::Blocked;
  for (const BlockedMode mode : {BlockedMode::Pic, BlockedMode::Sound}) {
    blocked.mode = mode;
    Encoder other(blocked);
    EXPECT_FALSE(other.CodesInPieces());
    EXPECT_THROW(other.BeginMember(false, 1), std::logic_error);
  }
}

}  // namespace
}  // namespace pelmora::acewriter::encode
