// Writes the generated part of the seed corpus (fuzz/corpus/<target>/gen-*):
// small packed streams of every mode for fuzz_lz77 and fuzz_blocked, small
// archives of every kind for fuzz_headers and short inputs for
// fuzz_roundtrip, all made by this tree's own writer from synthetic data,
// and small packed resources for fuzz_unpack, made by its resource packer.
// The output is the same on every run, so regenerating changes nothing
// unless the writer does.
//
// usage: make_fuzz_seeds CORPUS_DIR
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

#include "acewriter/ArchiveWriter.h"
#include "acewriter/encode/Encoder.h"
#include "common/Packing.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using pelmora::acewriter::encode::BlockedMode;
using pelmora::acewriter::encode::Method;
using pelmora::acewriter::encode::Options;
using pelmora::acewriter::encode::SoundLayout;

// The separator of volumes in fuzz_headers inputs, and how many it reads.
constexpr char kNextVolume[] = "--next volume--";
constexpr std::size_t kMostVolumes = 4;
// scripts/fuzz.sh cuts inputs to these lengths; seeds stay within them.
constexpr std::size_t kLongestStreamSeed = 4096;
constexpr std::size_t kLongestArchiveSeed = 32768;
constexpr std::size_t kLongestRoundTripSeed = 4096;
constexpr std::size_t kLongestPackedSeed = 4096;

class Random {
 public:
  explicit Random(std::uint32_t seed) : state_(seed) {}
  std::uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }

 private:
  std::uint32_t state_;
};

Bytes Text(std::size_t size, std::uint32_t seed) {
  static const char* const kWords[] = {
      "the ",  "setup ",  "program ", "reads ", "an ",    "archive ", "and ", "writes ", "files ",
      "into ", "target ", "folder. ", "Every ", "entry ", "keeps ",   "its ", "date ",   "\r\n"};
  Random random(seed);
  Bytes out;
  while (out.size() < size) {
    const std::string word = kWords[random.Next() % std::size(kWords)];
    out.insert(out.end(), word.begin(), word.end());
  }
  out.resize(size);
  return out;
}

// x86-like bytes: CALLs whose 32-bit relative targets stay inside the data,
// among short instructions, so that the writer picks EXE mode.
Bytes Code(std::size_t size, std::uint32_t seed) {
  static const std::uint8_t kShort[] = {0x55, 0x8B, 0xEC, 0x53, 0x56, 0x57,
                                        0x5D, 0xC3, 0x90, 0x33, 0xC0, 0x50};
  Random random(seed);
  Bytes out;
  while (out.size() + 5 <= size) {
    if (random.Next() % 3 == 0) {
      const auto here = static_cast<std::int32_t>(out.size());
      const std::int32_t target = static_cast<std::int32_t>(random.Next() % size);
      const auto relative = static_cast<std::uint32_t>(target - (here + 5));
      out.push_back(0xE8);
      for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(relative >> (8 * i)));
    } else {
      out.push_back(kShort[random.Next() % std::size(kShort)]);
    }
  }
  out.resize(size, 0x90);
  return out;
}

void PutLe(Bytes& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// 16-bit samples of two tones with a little noise.
Bytes Samples(std::size_t size, int channels) {
  Random random(7);
  Bytes out;
  for (std::size_t i = 0; out.size() + 2 <= size; ++i) {
    const int channel = static_cast<int>(i % static_cast<std::size_t>(channels));
    const double t = static_cast<double>(i / static_cast<std::size_t>(channels));
    const double value = 9000 * std::sin(t * (0.05 + 0.03 * channel)) + 3000 * std::sin(t * 0.31) +
                         static_cast<double>(random.Next() % 200) - 100;
    PutLe(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(value)), 2);
  }
  out.resize(size, 0);
  return out;
}

Bytes Wave(std::size_t sampleBytes, int channels) {
  Bytes out = {'R', 'I', 'F', 'F'};
  PutLe(out, static_cast<std::uint32_t>(36 + sampleBytes), 4);
  for (char c : std::string("WAVEfmt ")) out.push_back(static_cast<std::uint8_t>(c));
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);  // PCM
  PutLe(out, static_cast<std::uint32_t>(channels), 2);
  PutLe(out, 22050, 4);
  PutLe(out, static_cast<std::uint32_t>(22050 * 2 * channels), 4);
  PutLe(out, static_cast<std::uint32_t>(2 * channels), 2);
  PutLe(out, 16, 2);
  for (char c : std::string("data")) out.push_back(static_cast<std::uint8_t>(c));
  PutLe(out, static_cast<std::uint32_t>(sampleBytes), 4);
  const Bytes samples = Samples(sampleBytes, channels);
  out.insert(out.end(), samples.begin(), samples.end());
  return out;
}

// A photo-like picture: smooth colour gradients with noise, `planes` bytes
// per pixel.
Bytes Pixels(std::uint32_t width, std::uint32_t height, std::uint32_t planes) {
  Random random(3);
  Bytes out;
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width; ++x)
      for (std::uint32_t p = 0; p < planes; ++p)
        out.push_back(static_cast<std::uint8_t>(x * (p + 1) + y * 2 + p * 40 + random.Next() % 9));
  return out;
}

Bytes Bitmap(std::uint32_t width, std::uint32_t height) {
  const Bytes pixels =
      Pixels(width, height, 3);  // rows of 3 * width bytes: keep width a multiple of 4
  Bytes out = {'B', 'M'};
  PutLe(out, static_cast<std::uint32_t>(54 + pixels.size()), 4);
  PutLe(out, 0, 4);
  PutLe(out, 54, 4);
  PutLe(out, 40, 4);
  PutLe(out, width, 4);
  PutLe(out, height, 4);
  PutLe(out, 1, 2);
  PutLe(out, 24, 2);
  PutLe(out, 0, 4);  // no compression
  PutLe(out, static_cast<std::uint32_t>(pixels.size()), 4);
  PutLe(out, 2835, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

// 16-bit values rising slowly: what DELTA mode is for.
Bytes Ramp(std::size_t size) {
  Bytes out;
  for (std::uint32_t i = 0; out.size() < size; ++i) PutLe(out, 1000 + i * 3 + (i % 7), 2);
  out.resize(size);
  return out;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

void Write(const fs::path& path, const Bytes& bytes, std::size_t longest) {
  if (bytes.size() > longest)
    throw std::runtime_error(path.string() + ": " + std::to_string(bytes.size()) +
                             " bytes, more than the " + std::to_string(longest) +
                             " the fuzzer reads");
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// --- fuzz_lz77 and fuzz_blocked: two selector bytes, then packed data ---

// The targets' first byte: the dictionary (1 KiB << its value mod 13) and,
// in bit 7, a second member decoded solidly after the first.
std::uint8_t DictionarySelector(std::uint32_t dictionaryBits, bool solidSecond) {
  const std::uint32_t code = dictionaryBits - 10;
  for (std::uint32_t b = solidSecond ? 128 : 0;; ++b)
    if (b % 13 == code) return static_cast<std::uint8_t>(b);
}

// The targets' second byte: sizes 1..128 exactly, larger ones in steps of 1 KiB.
std::uint8_t SizeSelector(std::size_t size) {
  if (size >= 1 && size <= 128) return static_cast<std::uint8_t>(size - 1);
  if (size % 1024 == 0 && size / 1024 <= 128) return static_cast<std::uint8_t>(127 + size / 1024);
  throw std::invalid_argument("no size selector for " + std::to_string(size) + " bytes");
}

void StreamSeed(const fs::path& path, Options options, const Bytes& member,
                bool solidSecond = false) {
  pelmora::acewriter::encode::Encoder encoder(options);
  const Bytes packed = encoder.EncodeMember(member, false);
  Bytes seed = {DictionarySelector(options.dictionaryBits, solidSecond),
                SizeSelector(member.size())};
  seed.insert(seed.end(), packed.begin(), packed.end());
  Write(path, seed, kLongestStreamSeed);
}

Options Blocked(BlockedMode mode, std::uint32_t dictionaryBits = 16) {
  Options options;
  options.method = Method::Blocked;
  options.mode = mode;
  options.dictionaryBits = dictionaryBits;
  return options;
}

void StreamSeeds(const fs::path& corpus) {
  // Members of 1 to 4 KiB: every mode and its switches, at a cost per input
  // the fuzzer can afford; mutations of a long valid stream decode it all.
  const fs::path lz77 = corpus / "lz77";
  Options plain;
  plain.dictionaryBits = 10;
  StreamSeed(lz77 / "gen-text-128", plain, Text(128, 1));
  plain.dictionaryBits = 12;
  StreamSeed(lz77 / "gen-text-4k", plain, Text(4096, 2));
  plain.dictionaryBits = 16;
  plain.level = 1;
  StreamSeed(lz77 / "gen-code-2k-solid", plain, Code(2048, 3), true);
  plain.level = 5;
  // Long matches, several output pieces.
  StreamSeed(lz77 / "gen-runs-100k", plain, Concat({Bytes(90000, 'a'), Text(12400, 4)}));

  const fs::path blocked = corpus / "blocked";
  StreamSeed(blocked / "gen-auto-text-2k", Blocked(BlockedMode::Auto), Text(2048, 5));
  StreamSeed(blocked / "gen-auto-wave-4k", Blocked(BlockedMode::Auto),
             Concat({Wave(4000, 2), Bytes(52, 0)}));
  StreamSeed(blocked / "gen-auto-bitmap-4k", Blocked(BlockedMode::Auto, 12),
             Concat({Bitmap(20, 64), Bytes(4096 - 54 - 20 * 64 * 3, 0)}));
  Options exe = Blocked(BlockedMode::Exe);
  StreamSeed(blocked / "gen-exe-2k", exe, Code(2048, 6));
  exe.exeMode = 0;
  StreamSeed(blocked / "gen-exe16-128", exe, Code(128, 7), true);
  Options delta = Blocked(BlockedMode::Delta);
  delta.deltaDistance = 2;
  delta.deltaLength = 512;
  StreamSeed(blocked / "gen-delta-2k", delta, Ramp(2048));
  const SoundLayout layouts[] = {SoundLayout::Mono8, SoundLayout::Mono16, SoundLayout::Stereo16,
                                 SoundLayout::Stereo16Swapped};
  for (int i = 0; i < 4; ++i) {
    Options sound = Blocked(BlockedMode::Sound);
    sound.soundLayout = layouts[i];
    StreamSeed(blocked / ("gen-sound" + std::to_string(i) + "-1k"), sound,
               Samples(1024, i < 2 ? 1 : 2));
  }
  Options pic = Blocked(BlockedMode::Pic);
  pic.picWidth = 64;
  pic.picPlanes = 4;
  pic.picPlaneType = -1;
  StreamSeed(blocked / "gen-pic-1k", pic, Pixels(16, 16, 4));
  pic.picWidth = 16;
  pic.picPlanes = 1;
  pic.picPlaneType = 0;
  StreamSeed(blocked / "gen-pic-128", pic, Pixels(16, 8, 1), true);
}

// --- fuzz_headers: archives, several volumes joined by kNextVolume ---

struct Member {
  std::string name;
  Bytes data;
  bool folder = false;
};

std::vector<Member> MixedFiles() {
  return {{"docs", {}, true},
          {"docs\\readme.txt", Text(700, 8)},
          {"docs\\empty.txt", {}},
          {"setup.exe", Code(1500, 9)},
          {"docs\\copy.txt", Text(700, 8)}};
}

std::vector<Member> MediaFiles() {
  return {{"sound.wav", Wave(2400, 2)},
          {"photo.bmp", Bitmap(20, 24)},
          {"prog.exe", Code(1200, 10)},
          {"ramp.dat", Ramp(1000)},
          {"notes.txt", Text(400, 11)}};
}

// Writes the archive into a scratch folder and joins its volumes.
Bytes MakeArchive(const fs::path& scratch, pelmora::acewriter::ArchiveOptions options,
                  const std::vector<Member>& members) {
  fs::remove_all(scratch);
  fs::create_directories(scratch);
  const pelmora::acewriter::FileStamp fileStamp{0x5A2B6C00,
                                                pelmora::unace::format::kAttributeArchive};
  const pelmora::acewriter::FileStamp folderStamp{0x5A2B6C00,
                                                  pelmora::unace::format::kAttributeDirectory};
  pelmora::acewriter::ArchiveWriter writer((scratch / "seed.ace").string(), options);
  for (const Member& m : members) {
    if (m.folder)
      writer.AddFolder(m.name, folderStamp);
    else
      writer.AddFile(m.name, m.data, fileStamp);
  }
  Bytes joined;
  const auto result = writer.Finish();
  if (result.volumes.size() > kMostVolumes)
    throw std::runtime_error(std::to_string(result.volumes.size()) +
                             " volumes, more than fuzz_headers reads");
  for (std::size_t i = 0; i < result.volumes.size(); ++i) {
    if (i > 0) joined.insert(joined.end(), kNextVolume, kNextVolume + sizeof kNextVolume - 1);
    const Bytes volume = ReadFile(result.volumes[i]);
    joined.insert(joined.end(), volume.begin(), volume.end());
  }
  fs::remove_all(scratch);
  return joined;
}

void ArchiveSeeds(const fs::path& corpus, const fs::path& scratch) {
  const fs::path headers = corpus / "headers";
  pelmora::acewriter::ArchiveOptions options;
  options.creationTime = 0x5A2B6C00;
  options.dictionaryBits = 15;

  options.method = pelmora::acewriter::PackMethod::Stored;
  Write(headers / "gen-stored", MakeArchive(scratch, options, MixedFiles()), kLongestArchiveSeed);
  options.method = pelmora::acewriter::PackMethod::Lz77;
  Write(headers / "gen-lz77", MakeArchive(scratch, options, MixedFiles()), kLongestArchiveSeed);
  options.solid = true;
  Write(headers / "gen-lz77-solid", MakeArchive(scratch, options, MixedFiles()),
        kLongestArchiveSeed);
  options.method = pelmora::acewriter::PackMethod::Ace20;
  Write(headers / "gen-ace20-solid", MakeArchive(scratch, options, MediaFiles()),
        kLongestArchiveSeed);
  options.solid = false;
  Write(headers / "gen-ace20", MakeArchive(scratch, options, MediaFiles()), kLongestArchiveSeed);
  // fuzz_headers answers every password request with "1234".
  options.password = "1234";
  Write(headers / "gen-ace20-password", MakeArchive(scratch, options, MediaFiles()),
        kLongestArchiveSeed);
  options.method = pelmora::acewriter::PackMethod::Lz77;
  options.solid = true;
  Write(headers / "gen-lz77-solid-password", MakeArchive(scratch, options, MixedFiles()),
        kLongestArchiveSeed);
  options.password.clear();
  // Two and three volumes, with members continued across the volume ends.
  options.volumeSize = 1400;
  Write(headers / "gen-lz77-solid-volumes", MakeArchive(scratch, options, MixedFiles()),
        kLongestArchiveSeed);
  options.solid = false;
  options.method = pelmora::acewriter::PackMethod::Stored;
  Write(headers / "gen-stored-volumes", MakeArchive(scratch, options, MixedFiles()),
        kLongestArchiveSeed);
}

// --- fuzz_roundtrip: option bytes, then the member's bytes ---

void RoundTripSeeds(const fs::path& corpus) {
  const fs::path roundtrip = corpus / "roundtrip";
  // First byte: bit 0 blocked, bits 1-3 the blocked mode (0 auto, 2 EXE,
  // 3 DELTA, 4 SOUND, 5 PIC), level from the high nibble, bit 6 a second
  // solid member, bit 7 the small dictionary. Second byte: mode parameters.
  const struct {
    const char* name;
    std::uint8_t choice, extra;
    Bytes data;
  } seeds[] = {
      {"gen-lz77-text", 0x20, 0x00, Text(3000, 12)},
      {"gen-auto-wave-solid", 0x41, 0x00, Wave(3000, 2)},
      {"gen-auto-bitmap", 0x01, 0x00, Bitmap(28, 40)},
      {"gen-exe", 0x15, 0x01, Code(4000, 13)},
      {"gen-delta", 0x07, 0x22, Ramp(4000)},
      {"gen-sound-stereo", 0x29, 0x08, Samples(4000, 2)},
      {"gen-pic", 0x0B, 0x2F, Pixels(16, 80, 3)},
      {"gen-stored-solid", 0xC9, 0x00, Concat({Text(1500, 14), Code(1500, 15)})},
  };
  for (const auto& s : seeds) {
    Bytes seed = {s.choice, s.extra};
    seed.insert(seed.end(), s.data.begin(), s.data.end());
    Write(roundtrip / s.name, seed, kLongestRoundTripSeed);
  }
}

// --- fuzz_unpack: resources as the build packs them ---

void UnpackSeeds(const fs::path& corpus) {
  const fs::path unpack = corpus / "unpack";
  // Unpacked, each stays within the 1 KiB that fuzz_unpack packs again.
  const struct {
    const char* name;
    Bytes data;
  } seeds[] = {
      {"gen-empty", {}},
      {"gen-text", Text(1000, 16)},
      {"gen-code", Code(1000, 17)},  // calls: the call filter
      // Long matches, the last distance again.
      {"gen-runs", Concat({Bytes(400, 0), Text(300, 18), Text(300, 18)})},
      {"gen-bitmap", Bitmap(8, 8)},
  };
  for (const auto& s : seeds)
    Write(unpack / s.name, pelmora::common::Pack(s.data), kLongestPackedSeed);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
    return 2;
  }
  try {
    const fs::path corpus = argv[1];
    StreamSeeds(corpus);
    ArchiveSeeds(corpus,
                 fs::temp_directory_path() / ("pelmora-fuzz-seeds-" + std::to_string(::getpid())));
    RoundTripSeeds(corpus);
    UnpackSeeds(corpus);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.what());
    return 1;
  }
  return 0;
}
