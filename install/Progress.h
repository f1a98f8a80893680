// The overall progress of the extract pass, for the installation page's bar:
// the bytes unpacked so far over the size of everything the pass will unpack.
// What it will unpack is known from the list pass: the selected entries, or,
// when none was selected, every entry (the archive component then unpacks
// them all).
#pragma once

#include <cstdint>

namespace pelmora::install {

class ExtractProgress {
 public:
  // List pass, once per entry: its unpacked size (the header's UnpSize) and
  // whether the listing selected it.
  void CountListed(std::uint32_t unpackedSize, bool selected);

  // Extract pass, per data event: the size of the block just unpacked.
  // Negative sizes are ignored.
  void AddUnpacked(std::int64_t blockSize);

  // 0..100; never above 100 (sizes in the headers may understate), and 0
  // while there is nothing to unpack.
  int Percent() const;

  // The unpacked size of every entry the list pass met: the product's size.
  std::uint64_t ListedBytes() const { return listedBytes_; }

 private:
  std::uint64_t selectedBytes_ = 0;
  std::uint64_t listedBytes_ = 0;
  bool anySelected_ = false;
  std::uint64_t unpackedBytes_ = 0;
};

}  // namespace pelmora::install
