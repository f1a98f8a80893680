#include <gtest/gtest.h>

#include "archive/FileList.h"

namespace pelmora::archive {
namespace {

using Lines = std::vector<std::string>;

TEST(FoldCase1252, FoldsAsciiAndWindows1252Letters) {
  EXPECT_EQ(FoldCase1252('a'), 'A');
  EXPECT_EQ(FoldCase1252('z'), 'Z');
  EXPECT_EQ(FoldCase1252('A'), 'A');
  EXPECT_EQ(FoldCase1252('1'), '1');
  EXPECT_EQ(FoldCase1252(0xE4), 0xC4);  // ä Ä
  EXPECT_EQ(FoldCase1252(0xFE), 0xDE);  // þ Þ
  EXPECT_EQ(FoldCase1252(0x9A), 0x8A);  // š Š
  EXPECT_EQ(FoldCase1252(0xFF), 0x9F);  // ÿ Ÿ
  EXPECT_EQ(FoldCase1252(0xF7), 0xF7);  // ÷ has no partner
  EXPECT_EQ(FoldCase1252(0xDF), 0xDF);  // ß has no single upper-case letter
  EXPECT_EQ(FoldCase1252(0xD7), 0xD7);  // ×
}

TEST(CompareIgnoringCase1252, OrdersByFoldedBytesThenLength) {
  EXPECT_EQ(CompareIgnoringCase1252("readme.TXT", "README.txt"), 0);
  EXPECT_LT(CompareIgnoringCase1252("a", "B"), 0);
  EXPECT_GT(CompareIgnoringCase1252("b", "A"), 0);
  EXPECT_LT(CompareIgnoringCase1252("ab", "abc"), 0);
  EXPECT_EQ(CompareIgnoringCase1252("\xE4rger", "\xC4RGER"), 0);
  // Bytes above 0x7F sort after ASCII, not as negative chars.
  EXPECT_GT(CompareIgnoringCase1252("\xC4", "Z"), 0);
}

TEST(FileList, KeepsLinesSortedWithoutCaseDuplicates) {
  FileList list;
  EXPECT_TRUE(list.Add("setup\\b.txt"));
  EXPECT_TRUE(list.Add("A.txt"));
  EXPECT_TRUE(list.Add("c.txt"));
  EXPECT_FALSE(list.Add("SETUP\\B.TXT"));
  EXPECT_FALSE(list.Add("a.TXT"));
  EXPECT_EQ(list.Lines(), (Lines{"A.txt", "c.txt", "setup\\b.txt"}));
}

TEST(FileList, FindsNamesWhateverTheirCase) {
  FileList list{"Bin\\Prog.exe", "readme.txt", "\xC4nderungen.txt"};
  EXPECT_TRUE(list.Contains("bin\\prog.EXE"));
  EXPECT_TRUE(list.Contains("README.TXT"));
  EXPECT_TRUE(list.Contains("\xE4NDERUNGEN.TXT"));
  EXPECT_FALSE(list.Contains("readme.txt.bak"));
  EXPECT_FALSE(list.Contains("readme"));
  EXPECT_FALSE(list.Contains(""));
  EXPECT_FALSE(FileList{}.Contains("x"));
}

TEST(FileList, AssignReplacesTheContentByCopiesOfTheLines) {
  FileList list{"old.txt"};
  const Lines given{"b.txt", "A.txt", "B.TXT"};
  list.Assign(given);
  EXPECT_EQ(list.Lines(), (Lines{"A.txt", "b.txt"}));
  EXPECT_FALSE(list.Contains("old.txt"));

  list.Assign(list.Lines());  // its own lines
  EXPECT_EQ(list.Lines(), (Lines{"A.txt", "b.txt"}));

  list.Assign(Lines{});
  EXPECT_TRUE(list.Empty());
}

}  // namespace
}  // namespace pelmora::archive
