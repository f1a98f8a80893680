#include "tools/acetool/CommandLine.h"

#include <gtest/gtest.h>

namespace pelmora::acetool {
namespace {

using acewriter::PackMethod;
using acewriter::encode::BlockedMode;

TEST(CommandLine, ReadingCommandsTakeTheArchiveAndAPassword) {
  const Invocation l = ParseCommandLine({"l", "a.ace"});
  EXPECT_EQ(l.kind, CommandKind::List);
  EXPECT_EQ(l.archive, "a.ace");
  const Invocation x = ParseCommandLine({"x", "--password", "pw", "DATA.c00", "out"});
  EXPECT_EQ(x.kind, CommandKind::Extract);
  EXPECT_EQ(x.archive, "DATA.c00");
  EXPECT_EQ(x.directory, "out");
  EXPECT_EQ(x.password, "pw");
  EXPECT_EQ(ParseCommandLine({"t", "a.ace"}).kind, CommandKind::Test);
}

TEST(CommandLine, CreateOptionsReachTheWriter) {
  const Invocation c = ParseCommandLine(
      {"c", "DATA.c00", "tree", "--method", "ace20", "--mode", "sound", "--solid", "--volume-size",
       "1440k", "--dictionary-bits", "18", "--level", "3", "--password", "geheim"});
  EXPECT_EQ(c.kind, CommandKind::Create);
  EXPECT_EQ(c.create.method, PackMethod::Ace20);
  EXPECT_EQ(c.create.mode, BlockedMode::Sound);
  EXPECT_TRUE(c.create.solid);
  EXPECT_EQ(c.create.volumeSize, 1440u * 1024);
  EXPECT_EQ(c.create.dictionaryBits, 18u);
  EXPECT_EQ(c.create.level, 3);
  EXPECT_EQ(c.create.password, "geheim");
  EXPECT_EQ(ParseCommandLine({"c", "a", "d", "--volume-size", "2M"}).create.volumeSize, 2u << 20);
  EXPECT_EQ(ParseCommandLine({"c", "a", "d", "--volume-size", "123456"}).create.volumeSize,
            123456u);
}

TEST(CommandLine, DefaultsMakeAnArchiveEveryReaderOpens) {
  const Invocation c = ParseCommandLine({"c", "a.ace", "dir"});
  EXPECT_EQ(c.create.method, PackMethod::Lz77);
  EXPECT_FALSE(c.create.solid);
  EXPECT_EQ(c.create.volumeSize, 0u);
  EXPECT_EQ(c.create.dictionaryBits, 20u);
  EXPECT_TRUE(c.create.password.empty());
  EXPECT_EQ(c.create.level, kDefaultLevel);
}

TEST(CommandLine, RejectsWhatItCannotCarryOut) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"q", "a.ace"},
      {"l"},
      {"l", "a.ace", "extra"},
      {"x", "a.ace"},
      {"c", "a.ace"},
      {"l", "a.ace", "--solid"},
      {"c", "a", "d", "--method", "zip"},
      {"c", "a", "d", "--mode", "exe"},  // ACE 2.0 modes need --method ace20
      {"c", "a", "d", "--volume-size", "0"},
      {"c", "a", "d", "--volume-size", "12x"},
      {"c", "a", "d", "--volume-size", "-5"},
      {"c", "a", "d", "--dictionary-bits", "23"},
      {"c", "a", "d", "--level", "0"},
      {"c", "a", "d", "--password"},
      {"c", "a", "d", "--password", ""},
      {"c", "a", "d", "--frobnicate"},
  };
  for (const auto& args : bad) {
    std::string shown;
    for (const auto& a : args) shown += a + " ";
    EXPECT_THROW(ParseCommandLine(args), UsageError) << shown;
  }
}

}  // namespace
}  // namespace pelmora::acetool
