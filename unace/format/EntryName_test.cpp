#include <gtest/gtest.h>

#include "unace/format/EntryName.h"

namespace {

using pelmora::unace::format::UnsafeNameReason;

// The library judges names by the one name rule (its table is in
// contract/Rules_test.cpp); what it adds is that a folder entry may end in
// one separator, and that every way out of the target folder is refused.
TEST(EntryName, TheNameRuleWithFolderEntries) {
  for (const char* name :
       {"t", "dir2/b/classified.pdf", "Programm\\Liesmich.txt", "folder\\", "folder/", "console\\x",
        "Gr\xFC\xDF"
        "e.txt"})
    EXPECT_EQ(UnsafeNameReason(name), std::nullopt) << name;
  const std::string withNul("ok\0..\\..\\x", 10);
  for (const std::string& name :
       {std::string(""), std::string("\\"), std::string("\\x"), std::string("/x"),
        std::string("C:\\x"), std::string("C:x"), std::string("\\\\server\\share\\x"),
        std::string("\\\\?\\C:\\x"), std::string("a\\..\\..\\b"), std::string("a/../b"),
        std::string("folder\\\\"), std::string("...\\x"), std::string("file.txt:stream"), withNul,
        std::string("dir\\nul.txt"), std::string("COM\xB9"), std::string("lpt0.log")})
    EXPECT_TRUE(UnsafeNameReason(name)) << name;
}

}  // namespace
