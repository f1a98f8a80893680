#include <gtest/gtest.h>

#include "unace/format/EntryName.h"

namespace {

using pelmora::unace::format::UnsafeNameReason;

TEST(EntryName, OrdinaryRelativeNamesAreSafe) {
  for (const char* name :
       {"t", "t\\t.txt", "dir2/b/classified.pdf", "a\\b\\c d.txt", "Programm\\Liesmich.txt",
        "folder\\", ".hidden", "a..b", "console\\x", "COM10", "file.tar.gz", "..x", "a..b\\c"}) {
    EXPECT_EQ(UnsafeNameReason(name), std::nullopt) << name;
  }
  EXPECT_EQ(UnsafeNameReason("Gr\xFC\xDF"
                             "e.txt"),
            std::nullopt);  // high bytes of the code page are fine
}

TEST(EntryName, NamesThatLeaveTheTargetOrConfuseWindowsAreRefused) {
  const std::string withNul("ok\0..\\..\\x", 10);
  for (const std::string& name : {std::string(""),
                                  std::string("\\x"),
                                  std::string("/x"),
                                  std::string("C:\\x"),
                                  std::string("C:x"),
                                  std::string("C:\\C:\\..\\x"),
                                  std::string("\\\\server\\share\\x"),
                                  std::string("\\\\?\\C:\\x"),
                                  std::string(".."),
                                  std::string("..\\..\\x"),
                                  std::string("a\\..\\..\\b"),
                                  std::string("a/../b"),
                                  std::string("a\\.."),
                                  std::string("a:b"),
                                  std::string("file.txt:stream"),
                                  std::string("a\\\\b"),
                                  std::string("a\\.\\b"),
                                  std::string("...\\x"),
                                  std::string(".. \\x"),
                                  std::string("dir.\\x"),
                                  std::string("x\ty"),
                                  std::string("line\nbreak"),
                                  std::string("bell\x07"),
                                  withNul,
                                  std::string("CON"),
                                  std::string("dir\\nul.txt"),
                                  std::string("LPT1"),
                                  std::string("com3.log"),
                                  std::string("a?b"),
                                  std::string("a*"),
                                  std::string("<x>"),
                                  std::string("pipe|x"),
                                  std::string("\"q\""),
                                  std::string("//srv/share/x"),
                                  std::string("a\\....\\x"),
                                  std::string("... \\x"),
                                  std::string(".\\x"),
                                  std::string("x..")}) {
    EXPECT_TRUE(UnsafeNameReason(name)) << name;
  }
}

}  // namespace
