#include "contract/AnsiText.h"

#include <gtest/gtest.h>

namespace pelmora::contract {
namespace {

TEST(AnsiText, UpperCasesAsciiAndWindows1252Letters) {
  EXPECT_EQ(UpperAnsi("c:\\programme\\app.exe"), "C:\\PROGRAMME\\APP.EXE");
  EXPECT_EQ(UpperAnsi("äöüéàçñø"), "ÄÖÜÉÀÇÑØ");
  EXPECT_EQ(UpperAnsi("šœžÿ"), "ŠŒŽŸ");
}

TEST(AnsiText, LeavesSymbolsAndTheSharpSAlone) {
  // ß has no single upper-case byte; ÷ and digits are no letters.
  EXPECT_EQ(UpperAnsi("ß÷09_[]{}~"), "ß÷09_[]{}~");
  EXPECT_EQ(UpperAnsi(std::string("\x00\x7F", 2)), std::string("\x00\x7F", 2));
}

TEST(AnsiText, EqualityIgnoresCaseButNotLength) {
  EXPECT_TRUE(EqualsIgnoreCaseAnsi("Straße\\Über.EXE", "STRAßE\\über.exe"));
  EXPECT_FALSE(EqualsIgnoreCaseAnsi("app.exe", "app.ex"));
  EXPECT_FALSE(EqualsIgnoreCaseAnsi("app.exe", "apq.exe"));
  EXPECT_TRUE(EqualsIgnoreCaseAnsi("", ""));
}

TEST(AnsiText, TrimRemovesBlanksAndControlsAtBothEnds) {
  EXPECT_EQ(TrimBlanksAndControls("  \t A b \r\n"), "A b");
  EXPECT_EQ(TrimBlanksAndControls(std::string("\0B\0", 3)), "B");
  EXPECT_EQ(TrimBlanksAndControls(" \t\r\n"), "");
  EXPECT_EQ(TrimBlanksAndControls("Ä"), "Ä");
}

}  // namespace
}  // namespace pelmora::contract
