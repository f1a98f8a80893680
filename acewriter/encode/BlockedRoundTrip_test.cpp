// ACE 2.0 blocked streams, every mode and the switches between them,
// decoded by the extraction side's decoder.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "acewriter/encode/BlockedStream.h"
#include "acewriter/encode/Encoder.h"
#include "acewriter/encode/Filters.h"
#include "acewriter/encode/PeImage_testutil.h"
#include "acewriter/encode/RoundTrip_testutil.h"

namespace pelmora::acewriter::encode {
namespace {

using test::Bytes;

// x86-like code: many CALLs to a few functions, relative targets.
Bytes FakeCode(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  const std::uint32_t functions[] = {0x1000, 0x2400, 0x3804, 0x9000};
  Bytes b;
  while (b.size() < n) {
    const auto at = static_cast<std::uint32_t>(b.size());
    switch (rng() % 4) {
      case 0: {
        const std::uint32_t rel = functions[rng() % 4] - at;
        b.push_back(0xE8);
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(rel >> (8 * i)));
        break;
      }
      case 1:
        b.push_back(0xE9);
        b.push_back(static_cast<std::uint8_t>(rng()));
        b.push_back(static_cast<std::uint8_t>(rng()));
        break;
      default:
        for (const std::uint8_t x : {0x8B, 0x45, 0x08, 0x50}) b.push_back(x);
        b.push_back(static_cast<std::uint8_t>(rng() % 16));
    }
  }
  b.resize(n);
  return b;
}

// x86-64-like functions: prologues, CALLs among them, RIP-relative loads,
// conditional and plain jumps with 32-bit offsets, returns and padding.
Bytes FakeX64Code(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b;
  std::vector<std::uint32_t> functions{0};
  const auto rel32 = [&b](std::uint8_t a, std::uint8_t c, std::int64_t target, bool twoBytes) {
    b.push_back(a);
    if (twoBytes) b.push_back(c);
    const auto rel = static_cast<std::uint32_t>(target - static_cast<std::int64_t>(b.size()) - 4);
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(rel >> (8 * i)));
  };
  while (b.size() < n) {
    functions.push_back(static_cast<std::uint32_t>(b.size()));
    for (const std::uint8_t x : {0x55, 0x48, 0x89, 0xE5, 0x48, 0x83, 0xEC}) b.push_back(x);
    b.push_back(static_cast<std::uint8_t>(16 * (1 + rng() % 4)));
    for (unsigned k = 0, body = 3 + rng() % 12; k < body; ++k) {
      switch (rng() % 5) {
        case 0:
          rel32(0xE8, 0, functions[rng() % functions.size()], false);
          break;
        case 1:
          b.insert(b.end(), {0x48, 0x8D});
          rel32(0x0D, 0, static_cast<std::int64_t>(n) + 64 * (rng() % 200), false);
          break;
        case 2:
          rel32(0x0F, 0x84, static_cast<std::int64_t>(b.size()) + 40 + rng() % 60, true);
          break;
        case 3:
          b.insert(b.end(), {0x48, 0x8B, 0x44, 0x24, static_cast<std::uint8_t>(8 * (rng() % 8))});
          break;
        default:
          b.insert(b.end(), {0x89, static_cast<std::uint8_t>(0xC0 + rng() % 64)});
      }
    }
    if (rng() % 4 == 0) rel32(0xE9, 0, functions[rng() % functions.size()], false);
    b.insert(b.end(), {0x48, 0x83, 0xC4, 0x20, 0x5D, 0xC3});
    while (b.size() % 16 != 0) b.push_back(0xCC);
  }
  b.resize(n);
  return b;
}

// 16-bit little-endian samples of a sine (stereo: two phases), with silence.
Bytes Wave(std::size_t samples, unsigned channels, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b;
  for (std::size_t i = 0; i < samples; ++i)
    for (unsigned c = 0; c < channels; ++c) {
      const bool quiet = (i / 500) % 4 == 3;
      const double v =
          quiet ? 0
                : 9000 * std::sin(0.03 * static_cast<double>(i) + c) + static_cast<int>(rng() % 64);
      const auto s = static_cast<std::int16_t>(v);
      b.push_back(static_cast<std::uint8_t>(s));
      b.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(s) >> 8));
    }
  return b;
}

// A smooth RGB gradient image with some noise.
Bytes Picture(std::uint32_t width, std::uint32_t rows, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b;
  for (std::uint32_t y = 0; y < rows; ++y)
    for (std::uint32_t x = 0; x < width; ++x)
      for (unsigned c = 0; c < 3; ++c)
        b.push_back(static_cast<std::uint8_t>(x * (c + 1) + y * 2 + rng() % 5));
  return b;
}

void ExpectRoundTrip(Encoder& encoder, const Bytes& data, const char* what, bool solid = false,
                     unace::decode::Decoder* shared = nullptr) {
  const Bytes packed = encoder.EncodeMember(data, solid);
  EXPECT_EQ(packed.size() % 4, 0u) << what;
  unace::decode::Decoder own;
  unace::decode::Decoder& decoder = shared ? *shared : own;
  EXPECT_TRUE(test::DecodesTo(decoder, packed, data, encoder.DictionaryBits(), true, solid))
      << what;
}

Options Blocked(BlockedMode mode) {
  Options o;
  o.method = Method::Blocked;
  o.mode = mode;
  return o;
}

TEST(BlockedRoundTrip, Lz77AndAutoOnPlainData) {
  Encoder lz(Blocked(BlockedMode::Lz77));
  ExpectRoundTrip(lz, test::WordSoup(100000, 1), "lz77 text");
  ExpectRoundTrip(lz, Bytes{9}, "one byte");
  Encoder automatic(Blocked(BlockedMode::Auto));
  ExpectRoundTrip(automatic, test::RandomBytes(30000, 2), "auto random");
  EXPECT_EQ(automatic.CompressionType(), 2);
}

// Blocks cut by cost: the coder holds the last block back while more items
// come, mode switches (EXE regions among text) among them.
TEST(BlockedRoundTrip, BlocksOfManySizesWithModeSwitchesInside) {
  Options best = Blocked(BlockedMode::Auto);
  best.level = 5;
  Encoder thorough(best);
  ExpectRoundTrip(thorough, test::ChangingKinds(400000, 3), "changing kinds");
  Bytes regions;
  for (std::uint32_t k = 0; k < 8; ++k) {
    const Bytes part = k % 2 ? test::WordSoup(kCodeRegionBytes, k) : FakeCode(kCodeRegionBytes, k);
    regions.insert(regions.end(), part.begin(), part.end());
  }
  ExpectRoundTrip(thorough, regions, "code and text regions");
}

// Base relocations (pages of 2-byte entries) and an x86-64 function table
// (begin, end and unwind address of each function), as linkers write them.
Bytes Relocations(std::size_t pages, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b;
  const auto put = [&b](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  for (std::uint32_t page = 0; page < pages; ++page) {
    put(0x1000 * (page + 1), 4);
    put(8 + 2 * 64, 4);
    for (std::uint32_t k = 0, offset = 0; k < 64; ++k, offset += 8 + rng() % 48)
      put(0x3000 | (offset & 0xFFF), 2);
  }
  return b;
}

Bytes FunctionTable(std::size_t functions, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes b;
  for (std::uint32_t k = 0, at = 0x1000; k < functions; ++k) {
    const std::uint32_t end = at + 16 + rng() % 400;
    for (const std::uint32_t v : {at, end, 0x80000 + 8 * k})
      for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    at = (end + 15) / 16 * 16;
  }
  return b;
}

TEST(BlockedRoundTrip, AutoOnAProgramAndOnAWaveFile) {
  const Bytes program = test::BuildPeImage(true, {{".text", FakeX64Code(200000, 4), true},
                                                  {".rdata", test::WordSoup(100000, 4)},
                                                  {".pdata", FunctionTable(3000, 4)},
                                                  {".reloc", Relocations(60, 4)},
                                                  {".debug_ranges", FunctionTable(2000, 5)}});
  Encoder automatic(Blocked(BlockedMode::Auto));
  ExpectRoundTrip(automatic, program, "auto program");
  Encoder plainLz(Blocked(BlockedMode::Lz77));
  EXPECT_LT(automatic.EncodeMember(program, false).size(),
            plainLz.EncodeMember(program, false).size() * 95 / 100);

  const Bytes samples = Wave(5001, 2, 3);
  Bytes wave(44, 0);
  const char header[] = "RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0";
  std::memcpy(wave.data(), header, 24);
  wave[34] = 16;
  std::memcpy(wave.data() + 36, "data", 4);
  const auto n = static_cast<std::uint32_t>(samples.size());
  for (int i = 0; i < 4; ++i)
    wave[40 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n >> (8 * i));
  wave.insert(wave.end(), samples.begin(), samples.end());
  wave.insert(wave.end(), {'L', 'I', 'S', 'T', 1, 2, 3});
  ExpectRoundTrip(automatic, wave, "auto wave");
  Encoder plain(Blocked(BlockedMode::Lz77));
  EXPECT_LT(automatic.EncodeMember(wave, false).size(), plain.EncodeMember(wave, false).size());
}

TEST(BlockedRoundTrip, AutoOnAPhotoBitmap) {
  const std::uint32_t width = 150, height = 60;  // rows of 450 bytes, padded to 452
  const Bytes pixels = Picture(width, height, 12);
  Bytes bmp(54, 0);
  const auto put = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      bmp[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put(10, 54);
  put(14, 40);
  put(18, width);
  put(22, height);
  bmp[28] = 24;
  for (std::uint32_t y = 0; y < height; ++y) {
    bmp.insert(bmp.end(), pixels.begin() + y * width * 3, pixels.begin() + (y + 1) * width * 3);
    bmp.insert(bmp.end(), {0, 0});
  }
  Encoder automatic(Blocked(BlockedMode::Auto));
  ExpectRoundTrip(automatic, bmp, "auto bitmap");
  Encoder plain(Blocked(BlockedMode::Lz77));
  EXPECT_LT(automatic.EncodeMember(bmp, false).size(), plain.EncodeMember(bmp, false).size());
}

TEST(BlockedRoundTrip, ExeBothSubModes) {
  for (std::uint8_t sub : {0, 1}) {
    Options o = Blocked(BlockedMode::Exe);
    o.exeMode = sub;
    Encoder encoder(o);
    ExpectRoundTrip(encoder, FakeCode(150000, sub), sub ? "exe 32-bit" : "exe 16-bit");
    // Member ends in a CALL: the tail must leave EXE mode.
    Bytes cut = FakeCode(5000, 7);
    cut.insert(cut.end(), {0x90, 0xE8, 0x01});
    ExpectRoundTrip(encoder, cut, "exe cut call");
  }
}

TEST(BlockedRoundTrip, ExeFilterPaysOffOnCallHeavyCode) {
  const Bytes code = FakeCode(200000, 3);
  Encoder exe(Blocked(BlockedMode::Exe));
  Encoder plain(Blocked(BlockedMode::Lz77));
  EXPECT_LT(exe.EncodeMember(code, false).size(),
            plain.EncodeMember(code, false).size() * 95 / 100);
}

TEST(BlockedRoundTrip, DeltaWithSeveralGeometries) {
  for (auto [distance, length] :
       {std::pair<std::uint8_t, std::uint32_t>{4, 2048}, {2, 8}, {3, 999}, {1, 131071}}) {
    Options o = Blocked(BlockedMode::Delta);
    o.deltaDistance = distance;
    o.deltaLength = length;
    Encoder encoder(o);
    ExpectRoundTrip(encoder, Wave(30001, 2, distance), "delta");
  }
}

TEST(BlockedRoundTrip, SoundEveryLayout) {
  for (auto layout : {SoundLayout::Mono8, SoundLayout::Mono16, SoundLayout::Stereo16,
                      SoundLayout::Stereo16Swapped}) {
    Options o = Blocked(BlockedMode::Sound);
    o.soundLayout = layout;
    Encoder encoder(o);
    const Bytes wave = Wave(40000, 2, 5);
    ExpectRoundTrip(encoder, wave, "sound");
    ExpectRoundTrip(encoder, Bytes(wave.begin(), wave.begin() + 4002), "sound with a 2-byte tail");
    ExpectRoundTrip(encoder, Bytes(20000, 0), "sound silence");
  }
}

TEST(BlockedRoundTrip, SoundBeatsLz77OnAudio) {
  const Bytes wave = Wave(100000, 1, 6);
  Options o = Blocked(BlockedMode::Sound);
  o.soundLayout = SoundLayout::Mono16;
  Encoder sound(o);
  Encoder plain(Blocked(BlockedMode::Lz77));
  EXPECT_LT(sound.EncodeMember(wave, false).size(),
            plain.EncodeMember(wave, false).size() * 9 / 10);
}

TEST(BlockedRoundTrip, PicEveryPlaneTypeAndPartialLastRow) {
  for (int type : {-1, 0, 1, 2}) {
    Options o = Blocked(BlockedMode::Pic);
    o.picWidth = 3 * 120;
    o.picPlanes = 3;
    o.picPlaneType = type;
    Encoder encoder(o);
    Bytes image = Picture(120, 50, 8);
    ExpectRoundTrip(encoder, image, "pic");
    image.resize(image.size() - 100);
    ExpectRoundTrip(encoder, image, "pic partial row");
  }
  Options odd = Blocked(BlockedMode::Pic);
  odd.picWidth = 7;  // not a multiple of the planes
  odd.picPlanes = 2;
  Encoder encoder(odd);
  ExpectRoundTrip(encoder, test::RandomBytes(1000, 9), "pic odd geometry");
}

TEST(BlockedRoundTrip, EverySwitchBetweenModesInOneMember) {
  const Bytes wave = Wave(3000, 2, 1);     // 12000 bytes
  const Bytes image = Picture(40, 20, 2);  // 2400 bytes = 20 rows of 120
  const Bytes code = FakeCode(6000, 3);
  Bytes data;
  std::vector<Segment> plan;
  const auto add = [&](const Bytes& bytes, Segment s) {
    data.insert(data.end(), bytes.begin(), bytes.end());
    s.length = bytes.size();
    plan.push_back(s);
  };
  Segment lz, sound, pic, exe, delta, sound8;
  sound.mode = BlockedMode::Sound;
  sound.soundLayout = SoundLayout::Stereo16;
  sound8 = sound;
  sound8.soundLayout = SoundLayout::Mono8;
  pic.mode = BlockedMode::Pic;
  pic.picWidth = 120;
  pic.picPlanes = 3;
  exe.mode = BlockedMode::Exe;
  delta.mode = BlockedMode::Delta;
  delta.deltaDistance = 4;
  delta.deltaLength = 400;
  Bytes codeHead(code.begin(), code.begin() + 3000);
  while (!ExeSegmentMayEnd(codeHead)) codeHead.pop_back();
  add(test::WordSoup(5000, 1), lz);                              // LZ77
  add(wave, sound);                                              // LZ77 -> SOUND
  add(image, pic);                                               // SOUND -> PIC
  add(codeHead, exe);                                            // PIC -> EXE
  add(Bytes(wave.begin(), wave.begin() + 4000), delta);          // EXE -> DELTA
  add(Bytes(wave.begin() + 4000, wave.begin() + 8000), sound8);  // DELTA -> SOUND
  add(wave, lz);  // SOUND -> LZ77, matches into the SOUND bytes
  add(Bytes(image.begin(), image.begin() + 1200), pic);  // LZ77 -> PIC, ends the member

  // Level 5's parse must keep to the repeat distances a reader trusts
  // after SOUND and PIC as the lazy one does.
  for (const int level : {3, 5}) {
    LzParser parser(20, level);
    parser.StartMember(false);
    BitWriter out;
    EncodeBlockedSegments(data, plan, parser, out);
    const Bytes packed = out.Finish();
    unace::decode::Decoder decoder;
    EXPECT_TRUE(test::DecodesTo(decoder, packed, data, 20, true, false)) << "level " << level;
  }
}

// Level 5's cost-based parse on x86-64 code around data, with the 4 MiB
// window: whole, in pieces and as a solid second member, each decoded to
// the very bytes; it must also beat the lazy parse of level 3.
TEST(BlockedRoundTrip, CostBasedParseOnX64Code) {
  Bytes data = FakeX64Code(250000, 81);
  for (const Bytes& part : {test::WordSoup(90000, 82), FakeX64Code(150000, 83), Bytes(3000, 0)})
    data.insert(data.end(), part.begin(), part.end());
  Options options = Blocked(BlockedMode::Auto);
  options.dictionaryBits = 22;
  options.level = 3;
  const std::size_t lazySize = Encoder(options).EncodeMember(data, false).size();
  options.level = 5;
  Encoder encoder(options);
  unace::decode::Decoder decoder;
  const Bytes whole = encoder.EncodeMember(data, false);
  EXPECT_TRUE(test::DecodesTo(decoder, whole, data, 22, true, false));
  EXPECT_LT(whole.size(), lazySize);

  // EXE positions count from the member start: the same offsets give the
  // same filtered bytes, which the window already holds.
  Bytes next(data.begin(), data.begin() + 120000);
  next[5000] ^= 0xFF;
  const Bytes solid = encoder.EncodeMember(next, true);
  EXPECT_TRUE(test::DecodesTo(decoder, solid, next, 22, true, true));
  EXPECT_LT(solid.size(), 1000u);  // about one byte per longest match of 259

  Encoder pieces(options);
  std::mt19937 rng(84);
  const Bytes piecewise =
      test::EncodeInPieces(pieces, data, false, [&rng] { return 1 + rng() % 40000; });
  unace::decode::Decoder fresh;
  EXPECT_TRUE(test::DecodesTo(fresh, piecewise, data, 22, true, false));
}

TEST(BlockedRoundTrip, RefusesPlansBreakingTheReadersRules) {
  LzParser parser(20, 3);
  BitWriter out;
  const Bytes data(100, 1);
  Segment sound;
  sound.mode = BlockedMode::Sound;
  sound.length = 98;  // not a multiple of 4
  Segment rest;
  rest.length = 2;
  EXPECT_THROW(EncodeBlockedSegments(data, {sound, rest}, parser, out), std::logic_error);
  sound.length = 96;  // only 4 bytes may follow, 4 do: fine; 97..99 would not be
  rest.length = 4;
  EXPECT_NO_THROW(EncodeBlockedSegments(data, {sound, rest}, parser, out));
  Segment again = sound;
  again.length = 4;
  EXPECT_THROW(EncodeBlockedSegments(data, {sound, again}, parser, out), std::logic_error);
  Segment exe;
  exe.mode = BlockedMode::Exe;
  exe.length = 100;
  Bytes call(100, 0);
  call[98] = 0xE8;
  EXPECT_THROW(EncodeBlockedSegments(call, {exe}, parser, out), std::logic_error);
  Segment shortPlan;
  shortPlan.length = 50;
  EXPECT_THROW(EncodeBlockedSegments(data, {shortPlan}, parser, out), std::logic_error);
}

TEST(BlockedRoundTrip, SolidMemberReachesIntoAnEarlierSoundMember) {
  const Bytes wave = Wave(20000, 1, 4);
  Segment sound;
  sound.mode = BlockedMode::Sound;
  sound.soundLayout = SoundLayout::Mono16;
  sound.length = wave.size();
  Segment lz;
  lz.length = wave.size();
  LzParser parser(20, 3);
  parser.StartMember(false);
  BitWriter first;
  EncodeBlockedSegments(wave, {sound}, parser, first);
  parser.StartMember(true);
  BitWriter second;
  EncodeBlockedSegments(wave, {lz}, parser, second);
  const Bytes p1 = first.Finish();
  const Bytes p2 = second.Finish();
  EXPECT_LT(p2.size(), 100u);

  unace::decode::Decoder decoder;
  EXPECT_TRUE(test::DecodesTo(decoder, p1, wave, 20, true, false));
  EXPECT_TRUE(test::DecodesTo(decoder, p2, wave, 20, true, true));
}

}  // namespace
}  // namespace pelmora::acewriter::encode

namespace pelmora::acewriter::encode {
namespace {

TEST(BlockedSolid, MemberStoredAfterAllLeavesItsOriginalBytesInTheWindow) {
  // An EXE member whose packed form is discarded in favour of storing it:
  // the next member refers to it and must see the original bytes.
  const Bytes code = FakeCode(20000, 8);
  Encoder encoder(Blocked(BlockedMode::Exe));
  encoder.EncodeMember(code, true);
  encoder.StoreInstead(code);
  Bytes next(code);
  next.insert(next.end(), {1, 2, 3, 4, 5});
  const Bytes packed = encoder.EncodeMember(next, true);
  EXPECT_LT(packed.size(), next.size() / 2);

  unace::decode::Decoder decoder;
  decoder.AppendStored(code.data(), code.size());
  EXPECT_TRUE(test::DecodesTo(decoder, packed, next, 20, true, true));
}

// A member of many planning regions fed in uneven pieces, as a large file
// is: code and text regions alternate, so EXE stretches start and end
// inside pieces; the second, solid copy must reach back into the first.
TEST(BlockedPieces, LargeMemberInPiecesDecodesAndKeepsTheModes) {
  Bytes data = FakeCode(200000, 61);
  for (const Bytes& part : {test::WordSoup(150000, 62), FakeCode(100000, 63),
                            test::RandomBytes(70000, 64), test::WordSoup(90001, 65)})
    data.insert(data.end(), part.begin(), part.end());
  Options lz77;
  lz77.method = Method::Blocked;
  lz77.mode = BlockedMode::Lz77;
  const std::size_t lz77Size = Encoder(lz77).EncodeMember(data, false).size();

  unace::decode::Decoder decoder;
  for (const BlockedMode mode : {BlockedMode::Auto, BlockedMode::Exe, BlockedMode::Delta}) {
    Options options = lz77;
    options.mode = mode;
    const std::size_t oneShot = Encoder(options).EncodeMember(data, false).size();
    Encoder pieces(options);
    std::mt19937 rng(66);
    std::size_t firstSize = 0;
    for (const bool solid : {false, true}) {
      ASSERT_TRUE(pieces.CodesInPieces());
      const Bytes packed =
          test::EncodeInPieces(pieces, data, solid, [&rng] { return 1 + rng() % 70000; });
      EXPECT_TRUE(test::DecodesTo(decoder, packed, data, 20, true, solid))
          << "mode " << static_cast<int>(mode) << ", solid " << solid;
      if (!solid) {
        EXPECT_LE(packed.size(), oneShot + oneShot / 100) << static_cast<int>(mode);
        if (mode == BlockedMode::Auto) {
          EXPECT_LT(packed.size(), lz77Size) << "no EXE stretch";
        }
        firstSize = packed.size();
      } else {
        EXPECT_LT(packed.size(), firstSize / 10) << static_cast<int>(mode);
      }
    }
  }
}

// A sound file too large to hold is coded in pieces in the automatic mode
// too, as ordinary data: the sound coder would need the whole member in
// memory. Only the forced sound and picture modes still refuse pieces.
TEST(BlockedPieces, ASoundFileIsCodedInPiecesInTheAutomaticMode) {
  const Bytes samples = Wave(60000, 2, 71);
  Bytes wave(44, 0);
  const auto put = [&wave](std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
      wave[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  std::memcpy(wave.data(), "RIFF", 4);
  std::memcpy(wave.data() + 8, "WAVEfmt ", 8);
  put(16, 16, 4);
  put(20, 1, 2);  // PCM
  put(22, 2, 2);  // stereo
  put(34, 16, 2);
  std::memcpy(wave.data() + 36, "data", 4);
  put(40, static_cast<std::uint32_t>(samples.size()), 4);
  wave.insert(wave.end(), samples.begin(), samples.end());

  Options options;
  options.method = Method::Blocked;
  Encoder pieces(options);
  ASSERT_TRUE(pieces.CodesInPieces());
  const Bytes packed = test::EncodeInPieces(pieces, wave, false, [] { return 50000; });
  EXPECT_LT(packed.size(), wave.size());
  unace::decode::Decoder decoder;
  EXPECT_TRUE(test::DecodesTo(decoder, packed, wave, 20, true, false));
}

TEST(BlockedPieces, RefusesAMemberOfAnotherSizeThanAnnounced) {
  Options options;
  options.method = Method::Blocked;
  const Bytes data = FakeCode(100000, 67);
  Encoder encoder(options);
  encoder.BeginMember(false, data.size() + 1);
  encoder.Feed(data);
  EXPECT_THROW(encoder.FinishMember(), std::runtime_error);
  encoder.BeginMember(false, data.size() - 1);
  EXPECT_THROW(encoder.Feed(data), std::runtime_error);
}

}  // namespace
}  // namespace pelmora::acewriter::encode
