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
  return [&text, at = std::size_t{0}](std::span<char> buffer) mutable -> BlockResult {
    const std::size_t count = std::min(buffer.size(), text.size() - at);
    std::copy_n(text.data() + at, count, buffer.data());
    at += count;
    return count;
  };
}

std::uint64_t Copied(const std::variant<std::uint64_t, RunFailure>& result) {
  if (const auto* failure = std::get_if<RunFailure>(&result)) ADD_FAILURE() << failure->text;
  return std::holds_alternative<std::uint64_t>(result) ? std::get<std::uint64_t>(result) : 0;
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
  const std::uint64_t copied = Copied(CopyBlocks(
      StringSource(source),
      [&](std::span<const char> bytes) -> BlockResult {
        EXPECT_LE(bytes.size(), kCopyBlockSize);
        copy.append(bytes.data(), bytes.size());
        return bytes.size();
      },
      source.size(),
      [&](std::uint64_t done, std::uint64_t total) { reports.emplace_back(done, total); }));
  EXPECT_EQ(copied, source.size());
  EXPECT_EQ(copy, source);
  const std::uint64_t total = source.size();
  EXPECT_EQ(reports, (std::vector<std::pair<std::uint64_t, std::uint64_t>>{
                         {0, total}, {2048, total}, {4096, total}, {total, total}}));

  // An empty file copies nothing, and the bar still hears of start and end.
  reports.clear();
  const std::string empty;
  EXPECT_EQ(
      Copied(CopyBlocks(
          StringSource(empty),
          [](std::span<const char>) -> BlockResult {
            ADD_FAILURE() << "nothing to write";
            return std::size_t{0};
          },
          0, [&](std::uint64_t done, std::uint64_t size) { reports.emplace_back(done, size); })),
      0u);
  EXPECT_EQ(reports.size(), 1u);
}

// A full disk: the write stores part of a block. That is an error, numbered
// as a disk write error, and nothing more is written. A sink that fails
// outright ends the copy with its own failure.
TEST(BlockCopyTest, AShortWriteIsADiskWriteErrorAndAFailureEndsTheCopy) {
  const std::string source = Pattern(3 * kCopyBlockSize);
  int writes = 0;
  const auto shortWrite = CopyBlocks(
      StringSource(source),
      [&](std::span<const char> bytes) -> BlockResult {
        ++writes;
        return writes == 2 ? bytes.size() - 1 : bytes.size();
      },
      source.size(), nullptr);
  ASSERT_TRUE(std::holds_alternative<RunFailure>(shortWrite));
  EXPECT_EQ(std::get<RunFailure>(shortWrite).text, "E/A-Fehler 101");
  EXPECT_EQ(writes, 2);

  writes = 0;
  const auto refused = CopyBlocks(
      StringSource(source),
      [&](std::span<const char>) -> BlockResult {
        ++writes;
        return IoFailure(112);
      },
      source.size(), nullptr);
  ASSERT_TRUE(std::holds_alternative<RunFailure>(refused));
  EXPECT_EQ(std::get<RunFailure>(refused).text, "E/A-Fehler 112");
  EXPECT_EQ(writes, 1);
}

}  // namespace
}  // namespace pelmora::install
