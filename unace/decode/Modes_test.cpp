// Blocked-format modes built by hand: EXE and DELTA around LZ77, with the
// window rules that say which bytes later matches see.
#include <gtest/gtest.h>

#include <random>

#include "unace/decode/TestStreams_testutil.h"

namespace pelmora::unace::decode::test {
namespace {

std::vector<Lz77Item> ToExe(std::uint8_t exeMode) { return {Switch(), Raw(2, 8), Raw(exeMode, 8)}; }
std::vector<Lz77Item> ToLz77() { return {Switch(), Raw(0, 8)}; }
std::vector<Lz77Item> ToDelta(std::uint32_t planes, std::uint32_t length) {
  return {Switch(), Raw(1, 8), Raw(planes, 8), Raw(length, 17)};
}

void Append(std::vector<Lz77Item>& items, const std::vector<Lz77Item>& more) {
  items.insert(items.end(), more.begin(), more.end());
}
void AppendBytes(std::vector<Lz77Item>& items, const Bytes& bytes) {
  for (std::uint8_t b : bytes) items.push_back(Lit(b));
}

DecodeResult DecodeBlocked(const std::vector<Lz77Item>& items, std::uint64_t size) {
  BitWriter out;
  WriteLz77Blocks(out, items);
  return DecodeOne(out.Finish(), size, true);
}

// The compressor's side of the branch filter, written from the format rules.
Bytes ExeEncode(Bytes data, std::uint64_t memberOffset, bool call32) {
  std::size_t i = 0;
  while (i + 4 < data.size()) {
    const int operand = data[i] == 0xE8 && call32              ? 4
                        : (data[i] == 0xE8 || data[i] == 0xE9) ? 2
                                                               : 0;
    if (operand == 0) {
      ++i;
      continue;
    }
    std::uint32_t v = 0;
    for (int k = 0; k < operand; ++k) v |= std::uint32_t{data[i + 1 + k]} << (8 * k);
    v += static_cast<std::uint32_t>(memberOffset + i);
    for (int k = 0; k < operand; ++k) data[i + 1 + k] = static_cast<std::uint8_t>(v >> (8 * k));
    i += 1 + operand;
  }
  return data;
}

Bytes RandomCode(std::mt19937& random, std::size_t n) {
  Bytes b(n);
  for (auto& x : b) {
    const unsigned r = random() % 10;
    x = r == 0 ? 0xE8 : r == 1 ? 0xE9 : static_cast<std::uint8_t>(random());
  }
  // Segments never end in a possible opcode (the compressor avoids it).
  for (std::size_t k = n - 3; k < n; ++k)
    if (b[k] == 0xE8 || b[k] == 0xE9) b[k] = 0x90;
  return b;
}

TEST(ExeMode, BranchTargetsCountFromTheMemberStartInBothSubModes) {
  std::mt19937 random(21);
  Bytes original;
  std::vector<Lz77Item> items;
  const Bytes plain = RandomCode(random, 37);  // LZ77 segment: no filter
  AppendBytes(items, plain);
  original.insert(original.end(), plain.begin(), plain.end());
  for (std::uint8_t mode : {1, 0, 1}) {
    Append(items, ToExe(mode));
    const Bytes code = RandomCode(random, 3000);
    AppendBytes(items, ExeEncode(code, original.size(), mode != 0));
    original.insert(original.end(), code.begin(), code.end());
    Append(items, ToLz77());
    AppendBytes(items, plain);
    original.insert(original.end(), plain.begin(), plain.end());
  }
  const DecodeResult r = DecodeBlocked(items, original.size());
  ASSERT_EQ(r.status, Status::Ok) << r.error;
  ASSERT_EQ(r.output.size(), original.size());
  for (std::size_t i = 0; i < original.size(); ++i)
    ASSERT_EQ(r.output[i], original[i]) << "first difference at " << i;
}

TEST(ExeMode, WindowKeepsTheFilteredBytes) {
  // The second EXE run is a match on the first: it copies filtered bytes and
  // is unfiltered at its own offset, so the two outputs differ.
  const Bytes filtered{0xE8, 0x20, 0x00, 0x00, 0x00, 0x90, 0x90, 0x90, 0x90};
  std::vector<Lz77Item> items = ToExe(1);
  AppendBytes(items, filtered);
  items.push_back(Match(9, 9));
  const DecodeResult r = DecodeBlocked(items, 18);
  ASSERT_EQ(r.status, Status::Ok) << r.error;
  const Bytes expected{0xE8, 0x20,     0, 0, 0, 0x90, 0x90, 0x90, 0x90,
                       0xE8, 0x20 - 9, 0, 0, 0, 0x90, 0x90, 0x90, 0x90};
  EXPECT_EQ(r.output, expected);
}

TEST(ExeMode, OpcodeCutByASwitchIsRescannedInTheNextExeSegment) {
  std::vector<Lz77Item> items = ToExe(1);
  AppendBytes(items, {0x90, 0x90, 0x90, 0x90, 0x90, 0xE8, 0x07});  // E8 at member offset 5
  Append(items, ToExe(1));
  AppendBytes(items, {0x01, 0x00, 0x00, 0x90, 0x90, 0x90, 0x90, 0x90});
  const DecodeResult r = DecodeBlocked(items, 15);
  ASSERT_EQ(r.status, Status::Ok) << r.error;
  const Bytes expected{0x90, 0x90, 0x90, 0x90, 0x90, 0xE8, 0x02, 0x01,
                       0x00, 0x00, 0x90, 0x90, 0x90, 0x90, 0x90};
  EXPECT_EQ(r.output, expected);
}

TEST(ExeMode, OpcodeCutBeforeAnotherModeOrTheEndPassesUnchanged) {
  std::vector<Lz77Item> items = ToExe(1);
  AppendBytes(items, {0x90, 0x90, 0x90, 0x90, 0xE8});
  Append(items, ToLz77());
  AppendBytes(items, {0x09, 0x00, 0x00, 0x00, 0x90});
  Append(items, ToExe(1));
  // An opcode four bytes before the end is not examined; one among the last
  // three is held back and, at the member end, passed on as it is.
  AppendBytes(items, {0x90, 0x90, 0x90, 0xE8, 0x90, 0xE9, 0x01});
  const DecodeResult r = DecodeBlocked(items, 17);
  ASSERT_EQ(r.status, Status::Ok) << r.error;
  const Bytes expected{0x90, 0x90, 0x90, 0x90, 0xE8, 0x09, 0x00, 0x00, 0x00,
                       0x90, 0x90, 0x90, 0x90, 0xE8, 0x90, 0xE9, 0x01};
  EXPECT_EQ(r.output, expected);
}

// The compressor's side of one DELTA chunk.
Bytes DeltaEncode(const Bytes& original, std::size_t planes, std::uint8_t& running) {
  const std::size_t perPlane = original.size() / planes;
  Bytes e;
  for (std::size_t k = 0; k < planes; ++k)
    for (std::size_t j = 0; j < perPlane; ++j) {
      const std::uint8_t p = original[j * planes + k];
      e.push_back(static_cast<std::uint8_t>(p - running));
      running = p;
    }
  return e;
}

TEST(DeltaMode, ChunksCarryTheirRunningValueAcrossOtherModes) {
  std::mt19937 random(5);
  auto randomBytes = [&](std::size_t n) {
    Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(random());
    return b;
  };
  std::uint8_t running = 0;
  Bytes original;
  std::vector<Lz77Item> items;
  Append(items, ToDelta(4, 16));
  for (int chunk = 0; chunk < 3; ++chunk) {
    const Bytes data = randomBytes(16);
    AppendBytes(items, DeltaEncode(data, 4, running));
    original.insert(original.end(), data.begin(), data.end());
  }
  Append(items, ToLz77());
  AppendBytes(items, {'x', 'y'});
  original.insert(original.end(), {'x', 'y'});
  Append(items, ToDelta(3, 30));
  const Bytes data = randomBytes(30);
  AppendBytes(items, DeltaEncode(data, 3, running));
  original.insert(original.end(), data.begin(), data.end());

  const DecodeResult r = DecodeBlocked(items, original.size());
  ASSERT_EQ(r.status, Status::Ok) << r.error;
  EXPECT_EQ(r.output, original);
}

TEST(DeltaMode, WindowKeepsTheDifferencesNotTheOutput) {
  // Chunk 2 repeats chunk 1's differences through a match; its output is
  // then chunk 1's planes shifted by the carried running value.
  std::vector<Lz77Item> items = ToDelta(2, 4);
  AppendBytes(items, {1, 1, 1, 1});  // sums 1 2 3 4 -> output 1 3 2 4
  items.push_back(Match(4, 4));      // sums 5 6 7 8 -> output 5 7 6 8
  const DecodeResult r = DecodeBlocked(items, 8);
  ASSERT_EQ(r.status, Status::Ok) << r.error;
  EXPECT_EQ(r.output, (Bytes{1, 3, 2, 4, 5, 7, 6, 8}));
}

TEST(DeltaMode, MalformedChunksAreCorrupt) {
  std::vector<Lz77Item> zeroPlanes = ToDelta(0, 8);
  AppendBytes(zeroPlanes, Bytes(8, 1));
  EXPECT_EQ(DecodeBlocked(zeroPlanes, 8).status, Status::Corrupt);

  std::vector<Lz77Item> ragged = ToDelta(3, 8);
  AppendBytes(ragged, Bytes(8, 1));
  EXPECT_EQ(DecodeBlocked(ragged, 8).status, Status::Corrupt);

  std::vector<Lz77Item> switchInside = ToDelta(2, 8);
  AppendBytes(switchInside, Bytes(4, 1));
  Append(switchInside, ToLz77());
  AppendBytes(switchInside, Bytes(4, 1));
  EXPECT_EQ(DecodeBlocked(switchInside, 8).status, Status::Corrupt);

  std::vector<Lz77Item> pastTheEnd = ToDelta(2, 8);
  AppendBytes(pastTheEnd, Bytes(6, 1));
  EXPECT_EQ(DecodeBlocked(pastTheEnd, 6).status, Status::Corrupt);

  std::vector<Lz77Item> crossingMatch = ToDelta(2, 4);
  AppendBytes(crossingMatch, {1, 2, 3});
  crossingMatch.push_back(Match(3, 3));
  EXPECT_EQ(DecodeBlocked(crossingMatch, 8).status, Status::Corrupt);
}

TEST(BlockedModes, UnknownModeNumberIsCorrupt) {
  std::vector<Lz77Item> items = {Lit('a'), Switch(), Raw(8, 8), Lit('b')};
  const DecodeResult r = DecodeBlocked(items, 2);
  EXPECT_EQ(r.status, Status::Corrupt);
  EXPECT_NE(r.error.find("mode"), std::string::npos) << r.error;
}

}  // namespace
}  // namespace pelmora::unace::decode::test
