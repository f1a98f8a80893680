// Archive reading on hostile bytes: header parsing, the MAIN header search,
// and a full walk over every entry (listing, then testing each entry through
// the decoders, as a solid extraction would). Everything stays in memory;
// nothing is written to disk.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "unace/UnAceApi.h"
#include "unace/archive/ArchiveSession.h"
#include "unace/archive/BlockReader.h"
#include "unace/format/EntryName.h"
#include "unace/format/Headers.h"
#include "unace/io/ByteSource.h"

namespace {

// Testing decodes every entry, up to its declared size. A few bytes of long
// matches can claim gigabytes, so a walk stops before the entry that would
// take it past this; the fuzzer's time goes to many inputs, not a few huge ones.
constexpr std::uint64_t kMostDecodedPerWalk = std::uint64_t{1} << 20;

// The input is one volume, or several separated by kNextVolume: "fuzz.ace",
// then "fuzz.c00", "fuzz.c01", ... Real archives never hold the separator,
// so they are read as the single volumes they are.
constexpr std::string_view kNextVolume = "--next volume--";
constexpr int kMostVolumes = 4;

std::string VolumeName(int volume) {
  if (volume == 0) return "fuzz.ace";
  return "fuzz.c0" + std::to_string(volume - 1);
}

std::unique_ptr<pelmora::unace::io::MemoryVolumeOpener> VolumesFrom(const std::uint8_t* data,
                                                                    std::size_t size) {
  auto opener = std::make_unique<pelmora::unace::io::MemoryVolumeOpener>();
  const std::uint8_t* at = data;
  const std::uint8_t* const end = data + size;
  for (int volume = 0;; ++volume) {
    // memmem, so that libFuzzer learns the separator from the comparison.
    const void* found = volume + 1 < kMostVolumes ? memmem(at, static_cast<std::size_t>(end - at),
                                                           kNextVolume.data(), kNextVolume.size())
                                                  : nullptr;
    const auto* stop = found ? static_cast<const std::uint8_t*>(found) : end;
    opener->Add(VolumeName(volume), std::vector<std::uint8_t>(at, stop));
    if (!found) break;
    at = stop + kNextVolume.size();
  }
  return opener;
}

void WalkArchive(const std::uint8_t* data, std::size_t size, bool extracting) {
  pelmora::unace::archive::SessionCallbacks callbacks;
  int missingAnswers = 0;
  // Give up on a missing volume after one retry, as a user would.
  callbacks.volume = [&missingAnswers](const std::string&, int mode) {
    return mode == ACE_VOLUME_MISSING ? (missingAnswers++ == 0 ? 0 : 1) : 0;
  };
  pelmora::unace::archive::ArchiveSession session(VolumesFrom(data, size), std::move(callbacks),
                                                  extracting);
  if (session.Open("fuzz.ace") != ACE_OK) return;
  std::uint64_t declared = 0;
  bool passwordSet = false;
  for (int entries = 0; entries < 10000; ++entries) {
    if (session.ReadHeader() != ACE_OK) return;
    const pelmora::unace::format::FileHeader& entry = session.CurrentEntry();
    if (extracting) {
      if (entry.originalSize > kMostDecodedPerWalk - declared) return;
      declared += entry.originalSize;
    }
    (void)pelmora::unace::format::UnsafeNameReason(entry.name);
    // The password holds for the entries that follow; deriving its key once
    // per walk is enough.
    if (entry.Encrypted() && !passwordSet) {
      session.SetPassword(std::string("1234"));
      passwordSet = true;
    }
    // Testing decodes and checks the CRC without creating any file.
    session.Process(extracting ? ACE_TEST : ACE_SKIP, nullptr);
  }
}

void ParseEveryHeader(const std::uint8_t* data, std::size_t size) {
  namespace archive = pelmora::unace::archive;
  namespace format = pelmora::unace::format;
  pelmora::unace::io::MemorySource source(std::vector<std::uint8_t>(data, data + size));
  if (!std::holds_alternative<format::MainHeader>(archive::FindMainHeader(source))) return;
  while (true) {
    const auto read = archive::ReadBlock(source);
    const archive::RawBlock* block = std::get_if<archive::RawBlock>(&read);
    if (!block) return;
    (void)format::ParseMainHeader(block->body);
    (void)format::ParseFileHeader(block->body);
    if (!archive::SkipData(source, *block)) return;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ParseEveryHeader(data, size);
  WalkArchive(data, size, false);
  WalkArchive(data, size, true);
  return 0;
}
