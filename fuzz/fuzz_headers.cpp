// Archive reading on hostile bytes: header parsing, the MAIN header search,
// and a full walk over every entry (listing, then testing each entry through
// the decoders, as a solid extraction would). Everything stays in memory;
// nothing is written to disk.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "unace/UnAceApi.h"
#include "unace/archive/ArchiveSession.h"
#include "unace/archive/BlockReader.h"
#include "unace/format/EntryName.h"
#include "unace/format/Headers.h"
#include "unace/io/ByteSource.h"

namespace {

// The input is one volume, or (when its first byte is odd) two volumes split
// in the middle so that continuation across volumes is exercised too.
std::unique_ptr<unace::io::MemoryVolumeOpener> VolumesFrom(const std::uint8_t* data, std::size_t size) {
  auto opener = std::make_unique<unace::io::MemoryVolumeOpener>();
  if (size > 1 && (data[0] & 1)) {
    const std::size_t half = size / 2;
    opener->add("fuzz.ace", std::vector<std::uint8_t>(data + 1, data + half));
    opener->add("fuzz.c00", std::vector<std::uint8_t>(data + half, data + size));
  } else {
    opener->add("fuzz.ace", std::vector<std::uint8_t>(data, data + size));
  }
  return opener;
}

void WalkArchive(const std::uint8_t* data, std::size_t size, bool extracting) {
  unace::archive::SessionCallbacks callbacks;
  int missingAnswers = 0;
  // Give up on a missing volume after one retry, as a user would.
  callbacks.volume = [&missingAnswers](const std::string&, int mode) {
    return mode == ACE_VOLUME_MISSING ? (missingAnswers++ == 0 ? 0 : 1) : 0;
  };
  unace::archive::ArchiveSession session(VolumesFrom(data, size), std::move(callbacks), extracting);
  if (session.open("fuzz.ace") != ACE_OK) return;
  for (int entries = 0; entries < 10000; ++entries) {
    if (session.readHeader() != ACE_OK) return;
    const unace::format::FileHeader& entry = session.currentEntry();
    (void)unace::format::UnsafeNameReason(entry.name);
    if (entry.encrypted()) session.setPassword(std::string("1234"));
    // Testing decodes and checks the CRC without creating any file.
    session.process(extracting ? ACE_TEST : ACE_SKIP, nullptr);
  }
}

void ParseEveryHeader(const std::uint8_t* data, std::size_t size) {
  unace::io::MemorySource source(std::vector<std::uint8_t>(data, data + size));
  unace::format::MainHeader main;
  std::string why;
  if (!unace::archive::FindMainHeader(source, main, why)) return;
  unace::archive::RawBlock block;
  while (unace::archive::ReadBlock(source, block, why) == unace::archive::BlockStatus::Ok) {
    (void)unace::format::ParseMainHeader(block.body, why);
    (void)unace::format::ParseFileHeader(block.body, why);
    if (!unace::archive::SkipData(source, block)) return;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ParseEveryHeader(data, size);
  WalkArchive(data, size, false);
  WalkArchive(data, size, true);
  return 0;
}
