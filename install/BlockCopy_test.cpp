#include "install/BlockCopy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "install/RunErrors.h"

namespace pelmora::install {
namespace {

// A source over a string, read in whatever block size the copy asks for.
BlockSource StringSource(const std::string& text) {
  return [&text, at = std::size_t{0}](std::span<char> buffer) mutable {
    const std::size_t count = std::min(buffer.size(), text.size() - at);
    std::copy_n(text.data() + at, count, buffer.data());
    at += count;
    return count;
  };
}

std::string Pattern(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>(i * 7 + i / 251);
  return text;
}

TEST(BlockCopyTest, CopiesEveryByteAndReportsProgressBeforeEachBlockAndAtTheEnd) {
  const std::string source = Pattern(2 * kCopyBlockSize + 904);
  std::string copy;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
  const std::uint64_t copied = CopyBlocks(
      StringSource(source),
      [&](std::span<const char> bytes) {
        EXPECT_LE(bytes.size(), kCopyBlockSize);
        copy.append(bytes.data(), bytes.size());
        return bytes.size();
      },
      source.size(),
      [&](std::uint64_t done, std::uint64_t total) { reports.emplace_back(done, total); });
  EXPECT_EQ(copied, source.size());
  EXPECT_EQ(copy, source);
  const std::uint64_t total = source.size();
  EXPECT_EQ(reports, (std::vector<std::pair<std::uint64_t, std::uint64_t>>{
                         {0, total}, {2048, total}, {4096, total}, {total, total}}));

  // An empty file copies nothing, and the bar still hears of start and end.
  reports.clear();
  const std::string empty;
  EXPECT_EQ(
      CopyBlocks(
          StringSource(empty),
          [](std::span<const char>) -> std::size_t {
            ADD_FAILURE() << "nothing to write";
            return 0;
          },
          0, [&](std::uint64_t done, std::uint64_t size) { reports.emplace_back(done, size); }),
      0u);
  EXPECT_EQ(reports.size(), 1u);
}

// A full disk: the write stores part of a block. That is an error, numbered
// as a disk write error, and nothing more is written.
TEST(BlockCopyTest, AShortWriteIsADiskWriteError) {
  const std::string source = Pattern(3 * kCopyBlockSize);
  int writes = 0;
  try {
    CopyBlocks(
        StringSource(source),
        [&](std::span<const char> bytes) {
          ++writes;
          return writes == 2 ? bytes.size() - 1 : bytes.size();
        },
        source.size(), nullptr);
    FAIL() << "a short write went unnoticed";
  } catch (const IoError& e) {
    EXPECT_EQ(e.Code(), IoError::kDiskWriteError);
    EXPECT_STREQ(e.what(), "E/A-Fehler 101");
  }
  EXPECT_EQ(writes, 2);
}

}  // namespace
}  // namespace pelmora::install
