#include <gtest/gtest.h>

#include <cstring>

#include "archive/EntryName.h"

namespace pelmora::archive {
namespace {

TEST(EntryNameText, StopsAtTheFirstZeroByte) {
  TACEHeaderData header{};
  std::memcpy(header.FileName, "dir\\file.txt\0rest", 17);
  EXPECT_EQ(EntryNameText(header), "dir\\file.txt");
}

TEST(EntryNameText, NeverReadsBeyondTheField) {
  TACEHeaderData header{};
  std::memset(header.FileName, 'x', sizeof header.FileName);
  header.Flags = 0x41414141;  // would follow an unterminated name
  EXPECT_EQ(EntryNameText(header), std::string(sizeof header.FileName, 'x'));
}

TEST(IsUnsafeEntryName, RefusesNamesThatLeaveTheTarget) {
  for (const char* name :
       {"..", "..\\x", "a\\..\\..\\x", "a/../../x", "a\\..", "\\x", "/x", "\\\\srv\\share\\x",
        "//srv/share/x", "C:\\x", "c:x", "a\\b:stream", "... \\x", ".. \\x", "a\\....\\x"})
    EXPECT_TRUE(IsUnsafeEntryName(name)) << name;
}

TEST(IsUnsafeEntryName, AcceptsOrdinaryRelativeNames) {
  for (const char* name : {"x.txt", "dir\\x.txt", "dir\\sub\\", "..x", "x..", "a..b\\c",
                           ".\\x", "dir/x.txt", ".hidden", ""})
    EXPECT_FALSE(IsUnsafeEntryName(name)) << name;
}

}  // namespace
}  // namespace pelmora::archive
