#include "install/BlockCopy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace pelmora::install {
namespace {

// A source over a string, read in whatever block size the copy asks for.
BlockSource StringSource(const std::string& text) {
  return [&text,
          at = std::size_t{0}](std::span<char> buffer) mutable -> common::WinResult<std::size_t> {
    const std::size_t count = std::min(buffer.size(), text.size() - at);
    std::copy_n(text.data() + at, count, buffer.data());
    at += count;
    return count;
  };
}

void ExpectNoFailure(const std::optional<common::WinFailure>& failure) {
  if (failure) ADD_FAILURE() << failure->what << ": " << failure->code;
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
  ExpectNoFailure(CopyBlocks(
      StringSource(source),
      [&](std::span<const char> bytes) -> std::optional<common::WinFailure> {
        EXPECT_LE(bytes.size(), kCopyBlockSize);
        copy.append(bytes.data(), bytes.size());
        return std::nullopt;
      },
      source.size(),
      [&](std::uint64_t done, std::uint64_t total) { reports.emplace_back(done, total); }));
  EXPECT_EQ(copy, source);
  const std::uint64_t total = source.size();
  EXPECT_EQ(reports, (std::vector<std::pair<std::uint64_t, std::uint64_t>>{
                         {0, total}, {2048, total}, {4096, total}, {total, total}}));

  // An empty file copies nothing, and the bar still hears of start and end.
  reports.clear();
  const std::string empty;
  ExpectNoFailure(CopyBlocks(
      StringSource(empty),
      [](std::span<const char>) -> std::optional<common::WinFailure> {
        ADD_FAILURE() << "nothing to write";
        return std::nullopt;
      },
      0, [&](std::uint64_t done, std::uint64_t size) { reports.emplace_back(done, size); }));
  EXPECT_EQ(reports.size(), 1u);
}

// A failure of the sink (a full disk among them: the sink stores all or
// fails) or of the source ends the copy with that very failure, and nothing
// more is read or written.
TEST(BlockCopyTest, TheFirstFailureEndsTheCopy) {
  const std::string source = Pattern(3 * kCopyBlockSize);
  const common::WinFailure full{common::WinFailure::Subject::File, "C:\\Windows\\stUnInst.new", 39};
  int writes = 0;
  const auto refused = CopyBlocks(
      StringSource(source),
      [&](std::span<const char>) -> std::optional<common::WinFailure> {
        if (++writes == 2) return full;
        return std::nullopt;
      },
      source.size(), nullptr);
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->what, full.what);
  EXPECT_EQ(refused->code, 39u);
  EXPECT_EQ(writes, 2);

  writes = 0;
  const auto unreadable = CopyBlocks(
      [](std::span<char>) -> common::WinResult<std::size_t> {
        return common::WinFailure{common::WinFailure::Subject::File, "C:\\Ziel\\stUnInst.exe", 5};
      },
      [&](std::span<const char>) -> std::optional<common::WinFailure> {
        ++writes;
        return std::nullopt;
      },
      source.size(), nullptr);
  ASSERT_TRUE(unreadable.has_value());
  EXPECT_EQ(unreadable->code, 5u);
  EXPECT_EQ(writes, 0);
}

}  // namespace
}  // namespace pelmora::install
