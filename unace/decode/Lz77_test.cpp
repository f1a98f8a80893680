// The LZ77 stream: distance history, length bases, copy semantics, limits,
// block boundaries, solid continuation, and damage of every kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "unace/decode/TestStreams_testutil.h"

namespace pelmora::unace::decode::test {
namespace {

// What the items mean, computed independently of the decoder.
Bytes Expand(const std::vector<Lz77Item>& items, Bytes out = {}) {
  std::uint32_t recent[4] = {1, 1, 1, 1};  // actual distances
  for (const Lz77Item& item : items) {
    std::uint32_t distance = 0;
    if (item.kind == Lz77Item::Literal) {
      out.push_back(static_cast<std::uint8_t>(item.value));
      continue;
    }
    if (item.kind == Lz77Item::NewDistance) {
      distance = item.value;
      recent[3] = recent[2];
      recent[2] = recent[1];
      recent[1] = recent[0];
      recent[0] = distance;
    } else if (item.kind == Lz77Item::Repeat) {
      distance = recent[item.value];
      for (std::uint32_t k = item.value; k > 0; --k) recent[k] = recent[k - 1];
      recent[0] = distance;
    } else {
      continue;
    }
    for (std::uint32_t i = 0; i < item.length; ++i) out.push_back(out[out.size() - distance]);
  }
  return out;
}

Bytes Stream(const std::vector<std::vector<Lz77Item>>& blocks) {
  BitWriter out;
  for (const auto& block : blocks) WriteLz77Blocks(out, block);
  return out.Finish();
}

void ExpectDecodes(const std::vector<std::vector<Lz77Item>>& blocks,
                   std::uint32_t dictionary = 1u << 20) {
  std::vector<Lz77Item> all;
  for (const auto& b : blocks) all.insert(all.end(), b.begin(), b.end());
  const Bytes expected = Expand(all);
  const DecodeResult r = DecodeOne(Stream(blocks), expected.size(), false, dictionary);
  ASSERT_EQ(r.status, Status::Ok) << r.error;
  EXPECT_EQ(r.output, expected);
}

std::vector<Lz77Item> RandomLiterals(std::size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<Lz77Item> items;
  for (std::size_t i = 0; i < n; ++i) items.push_back(Lit(static_cast<std::uint8_t>(random())));
  return items;
}

TEST(Lz77, RepeatDistancesMoveToTheFront) {
  auto items = Literals("0123456789abcdef");
  items.insert(items.end(), {Match(3, 2), Match(5, 4), Match(7, 3), Match(9, 5),  // history 9,7,5,3
                             Rep(2, 4),  // distance 5 (base 3), now 5,9,7,3
                             Rep(3, 3),  // distance 3, now 3,5,9,7
                             Rep(1, 2),  // distance 5 (base 2), now 5,3,9,7
                             Rep(0, 6), Rep(3, 5)});
  ExpectDecodes({items});
}

TEST(Lz77, RepeatBeforeAnyDistanceRepeatsThePreviousByte) {
  auto items = Literals("x");
  items.push_back(Rep(0, 7));
  items.push_back(Rep(3, 3));
  ExpectDecodes({items});
}

TEST(Lz77, LengthBasesFollowTheDistanceClass) {
  auto items = RandomLiterals(20000, 1);
  items.insert(items.end(), {Match(2, 2), Match(256, 2), Match(257, 3), Match(8192, 3),
                             Match(8193, 4), Match(19999, 259), Match(1, 257), Match(300, 258)});
  ExpectDecodes({items});
}

TEST(Lz77, OverlappingCopiesRepeatTheirSource) {
  auto items = Literals("abcdefghij");
  items.insert(items.end(),
               {Match(1, 20), Match(3, 40), Match(9, 100), Match(8, 33), Match(10, 11)});
  ExpectDecodes({items});
}

TEST(Lz77, BlocksFollowEachOtherWithFreshTables) {
  auto first = Literals("hello ");
  auto second = Literals("world ");
  second.push_back(Match(12, 12));
  second.push_back(Rep(0, 5));
  ExpectDecodes({first, second, Literals("!")});
}

TEST(Lz77, FarMatchesAcrossTheRingEnd) {
  // A 256 KiB window: the second half of this data wraps around it.
  auto items = RandomLiterals(262100, 2);
  items.insert(items.end(), {Match(5000, 200), Match(262000, 259), Match(70000, 100)});
  auto tail = RandomLiterals(1000, 3);
  items.insert(items.end(), tail.begin(), tail.end());
  items.push_back(Match(4000, 258));
  const Bytes expected = Expand(items);
  Decoder decoder(1u << 18);
  MemoryInput input(Stream({items}), 4096);
  CollectOutput out;
  ASSERT_EQ(decoder.DecodeMember(input, out, expected.size(), 1u << 18, false, false), Status::Ok)
      << decoder.LastError();
  EXPECT_EQ(out.bytes, expected);
  EXPECT_LT(out.calls, expected.size() / 8192) << "output should come in large blocks";
}

TEST(Lz77, SolidMemberWithALargerDictionaryReachesEverythingBeforeIt) {
  // The window grows with the data rather than with the dictionaries
  // declared so far: a later member may reach further back than any earlier
  // one could, as long as the decoder's own limit allows it.
  Decoder decoder;
  // 300 KiB of history, more than any ring sized by the dictionaries so far
  // (or by the first member) would keep; matches make it cheap to encode.
  auto firstItems = RandomLiterals(5000, 8);
  std::mt19937 random(8);
  for (std::size_t size = 5000; size < 300000;) {
    const std::uint32_t length = 200 + random() % 56;
    firstItems.push_back(Match(1 + random() % 1024, length));
    size += length;
  }
  const Bytes first = Expand(firstItems);
  MemoryInput in1(Stream({firstItems}));
  CollectOutput out1, out2;
  ASSERT_EQ(decoder.DecodeMember(in1, out1, first.size(), 1024, false, false), Status::Ok)
      << decoder.LastError();
  const std::vector<Lz77Item> secondItems = {Match(299000, 200), Match(1024, 50), Lit('!')};
  const Bytes both = Expand(secondItems, first);
  MemoryInput in2(Stream({secondItems}));
  ASSERT_EQ(decoder.DecodeMember(in2, out2, both.size() - first.size(), 1u << 22, false, true),
            Status::Ok)
      << decoder.LastError();
  EXPECT_EQ(out2.bytes,
            Bytes(both.begin() + static_cast<std::ptrdiff_t>(first.size()), both.end()));
}

TEST(Lz77, DistanceBeyondTheHistoryIsCorrupt) {
  auto items = Literals("0123456789");
  items.push_back(Match(11, 2));
  const DecodeResult r = DecodeOne(Stream({items}), 12, false);
  EXPECT_EQ(r.status, Status::Corrupt);
  EXPECT_NE(r.error.find("distance"), std::string::npos) << r.error;
}

TEST(Lz77, DistanceBeyondTheDictionaryIsCorrupt) {
  auto items = RandomLiterals(3000, 4);
  items.push_back(Match(2000, 5));
  EXPECT_EQ(DecodeOne(Stream({items}), 3005, false, 1024).status, Status::Corrupt);
  EXPECT_EQ(DecodeOne(Stream({items}), 3005, false, 2048).status, Status::Ok);
}

TEST(Lz77, MatchPastTheMemberEndIsCorrupt) {
  auto items = Literals("abc");
  items.push_back(Match(3, 6));
  EXPECT_EQ(DecodeOne(Stream({items}), 8, false).status, Status::Corrupt);
  EXPECT_EQ(DecodeOne(Stream({items}), 9, false).status, Status::Ok);
}

TEST(Lz77, TypeCodeIsNotPartOfTheOldFormat) {
  auto items = Literals("ab");
  items.push_back(Switch());
  EXPECT_NE(DecodeOne(Stream({items}), 3, false).status, Status::Ok);
}

TEST(Lz77, BlockOfZeroSymbolsIsCorrupt) {
  BitWriter out;
  Code::Flat({'a'}, 11).WriteTable(out);
  Code::Flat({0}, 11).WriteTable(out);
  out.Put(0, 15);
  EXPECT_EQ(DecodeOne(out.Finish(), 1, false).status, Status::Corrupt);
}

TEST(Lz77, SolidMembersShareTheWindowButNotTheDistanceHistory) {
  Decoder decoder;
  CollectOutput first, second, third;
  auto firstItems = Literals("solid data!");
  firstItems.push_back(Match(6, 3));
  MemoryInput in1(Stream({firstItems}));
  ASSERT_EQ(decoder.DecodeMember(in1, first, 14, 1u << 16, false, false), Status::Ok);
  EXPECT_EQ(std::string(first.bytes.begin(), first.bytes.end()), "solid data! da");
  const std::uint8_t stored[] = {'+', '+'};
  decoder.AppendStored(stored, 2);
  // Rep(0) starts from distance 1 again, not from the previous member's 6.
  MemoryInput in2(Stream({{Rep(0, 3), Match(19, 11)}}));
  ASSERT_EQ(decoder.DecodeMember(in2, second, 14, 1u << 16, false, true), Status::Ok)
      << decoder.LastError();
  EXPECT_EQ(std::string(second.bytes.begin(), second.bytes.end()), "+++solid data!");

  MemoryInput in3(Stream({{Lit('x'), Match(2, 2)}}));
  ASSERT_EQ(decoder.DecodeMember(in3, third, 3, 1u << 16, false, false), Status::Corrupt)
      << "a non-solid member must not see the previous window";
}

TEST(Lz77, ResetDecoderForgetsItsHistoryAndDecodesAsAFreshOne) {
  Decoder decoder;
  auto items = RandomLiterals(5000, 11);
  items.insert(items.end(), {Match(4900, 258), Match(3, 100)});
  const Bytes expected = Expand(items);
  CollectOutput first, again, fresh;
  MemoryInput in1(Stream({items}));
  ASSERT_EQ(decoder.DecodeMember(in1, first, expected.size(), 1u << 16, false, false), Status::Ok)
      << decoder.LastError();
  decoder.Reset();
  MemoryInput reach(Stream({{Match(1, 2)}}));
  EXPECT_EQ(decoder.DecodeMember(reach, again, 2, 1u << 16, false, true), Status::Corrupt)
      << "the history of the archive before the reset is gone";
  decoder.Reset();
  MemoryInput in2(Stream({items}));
  ASSERT_EQ(decoder.DecodeMember(in2, again, expected.size(), 1u << 16, false, true), Status::Ok)
      << decoder.LastError();
  EXPECT_EQ(again.bytes, expected);
  EXPECT_EQ(first.bytes, expected);
}

TEST(Lz77, FailedSolidMemberLeavesNoHistoryBehind) {
  Decoder decoder;
  CollectOutput out;
  MemoryInput good(Stream({Literals("abcdef")}));
  ASSERT_EQ(decoder.DecodeMember(good, out, 6, 1u << 16, false, false), Status::Ok);
  auto broken = Literals("gh");
  broken.push_back(Match(100, 3));
  MemoryInput bad(Stream({broken}));
  ASSERT_EQ(decoder.DecodeMember(bad, out, 5, 1u << 16, false, true), Status::Corrupt);
  MemoryInput next(Stream({{Match(3, 3)}}));
  EXPECT_EQ(decoder.DecodeMember(next, out, 3, 1u << 16, false, true), Status::Corrupt);
}

TEST(Lz77, DictionaryAboveTheDecoderLimitIsUnsupported) {
  Decoder decoder(1u << 20);
  MemoryInput input(Stream({Literals("a")}));
  CollectOutput out;
  EXPECT_EQ(decoder.DecodeMember(input, out, 1, 1u << 21, false, false), Status::Unsupported);
  // Declarations beyond what distance codes can reach are capped, not refused.
  Decoder large;
  MemoryInput again(Stream({Literals("a")}));
  EXPECT_EQ(large.DecodeMember(again, out, 1, 1u << 25, false, false), Status::Ok);
}

// Accepts `accepted` blocks, then answers "stop"; counts every call.
class StopAfterBlocks : public Output {
 public:
  explicit StopAfterBlocks(std::size_t accepted) : accepted_(accepted) {}
  bool Write(const std::uint8_t*, std::size_t) override { return ++calls <= accepted_; }
  std::size_t calls = 0;

 private:
  std::size_t accepted_;
};

TEST(Lz77, CallerCanAbortAndIsNotCalledAgain) {
  for (std::size_t accepted : {0u, 1u}) {
    Decoder decoder;
    MemoryInput input(Stream({RandomLiterals(300000, 5)}));
    StopAfterBlocks out(accepted);
    EXPECT_EQ(decoder.DecodeMember(input, out, 300000, 1u << 20, false, false), Status::Aborted);
    EXPECT_EQ(out.calls, accepted + 1);
  }
}

// Damage after many whole output blocks: those blocks reach the caller,
// nothing decoded after the last of them does.
TEST(Lz77, FaultMidMemberHandsOnOnlyTheBlocksBeforeIt) {
  std::vector<Lz77Item> items = RandomLiterals(200000, 7);
  const Bytes expected = Expand(items);
  items.push_back(Match(300000, 5));  // beyond everything decoded
  const Bytes farMatch = Stream({items, RandomLiterals(100, 8)});
  const Bytes intact = Stream({items});
  const Bytes truncated(intact.begin(),
                        intact.begin() + static_cast<std::ptrdiff_t>(intact.size() * 3 / 4));
  for (const Bytes* packed : {&farMatch, &truncated}) {
    const DecodeResult r = DecodeOne(*packed, 200105, false, 1u << 22);
    EXPECT_EQ(r.status, Status::Corrupt);
    EXPECT_GT(r.output.size(), 0u);
    EXPECT_LT(r.output.size(), packed == &farMatch ? 200000u : 150000u);
    EXPECT_TRUE(std::equal(r.output.begin(), r.output.end(), expected.begin()));
  }
}

TEST(Lz77, EveryTruncationIsCorruptOrComplete) {
  auto items = RandomLiterals(300, 6);
  items.insert(items.end(), {Match(100, 50), Rep(0, 20), Match(7, 9)});
  const Bytes expected = Expand(items);
  const Bytes full = Stream({items});
  for (std::size_t cut = 0; cut < full.size(); ++cut) {
    const DecodeResult r =
        DecodeOne(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut)),
                  expected.size(), false);
    if (r.status == Status::Ok) {
      EXPECT_EQ(r.output, expected) << "cut at " << cut;
    } else {
      EXPECT_EQ(r.status, Status::Corrupt) << "cut at " << cut;
    }
    if (cut + 8 < full.size()) {
      EXPECT_EQ(r.status, Status::Corrupt) << "cut at " << cut;
    }
  }
}

TEST(Lz77, GarbageNeverCrashesNorOverruns) {
  std::mt19937 random(9);
  for (int round = 0; round < 400; ++round) {
    Bytes garbage(4 + random() % 400);
    for (auto& b : garbage) b = static_cast<std::uint8_t>(random());
    const std::uint64_t size = 1 + random() % 5000;
    for (bool blocked : {false, true}) {
      const DecodeResult r = DecodeOne(garbage, size, blocked, 1u << (10 + random() % 13));
      if (r.status == Status::Ok) {
        EXPECT_EQ(r.output.size(), size);
      } else {
        EXPECT_EQ(r.status, Status::Corrupt) << r.error;
      }
    }
  }
}

}  // namespace
}  // namespace pelmora::unace::decode::test
