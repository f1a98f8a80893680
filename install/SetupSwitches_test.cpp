#include "install/SetupSwitches.h"

#include <gtest/gtest.h>

namespace pelmora::install {
namespace {

struct Row {
  const char* line;
  // What the switches come to: "S SP DG" flags, then "D=" "LOG=" "PW=" values
  // as they are kept; or "refused: <detail>".
  const char* expected;
};

std::string Describe(const std::variant<SetupSwitches, contract::Refusal>& parsed) {
  if (const auto* refusal = std::get_if<contract::Refusal>(&parsed)) {
    EXPECT_EQ(refusal->reason, contract::Reason::UnknownSwitch);
    return "refused: " + refusal->detail;
  }
  const SetupSwitches& s = std::get<SetupSwitches>(parsed);
  std::string text;
  if (s.silent) text += "S ";
  if (s.progressOnly) text += "SP ";
  if (s.downgrade) text += "DG ";
  if (s.target) text += "D=[" + *s.target + "] ";
  if (s.logFile) text += "LOG=[" + *s.logFile + "] ";
  if (s.passwordFile) text += "PW=[" + *s.passwordFile + "] ";
  if (!text.empty()) text.pop_back();
  EXPECT_EQ(s.Unattended(), s.silent || s.progressOnly);
  return text;
}

TEST(SetupSwitches, EveryFormAndEveryMistake) {
  const Row rows[] = {
      // No switch: the wizard as it has always been.
      {"", ""},
      {"   \t ", ""},
      // Case does not matter; values keep theirs.
      {"/s", "S"},
      {"/Sp /downgrade", "SP DG"},
      {"/S /LOG=C:\\Logs\\Setup.log", "S LOG=[C:\\Logs\\Setup.log]"},
      {"/log=\"C:\\My Logs\\a b.log\" /S", "S LOG=[C:\\My Logs\\a b.log]"},
      {"/PASSWORDFILE=\"C:\\p w.txt\" /S", "S PW=[C:\\p w.txt]"},
      // /D= takes the rest of the line, blanks and all, but not trailing ones.
      {"/S /D=C:\\Program Files\\Tool Box  ", "S D=[C:\\Program Files\\Tool Box]"},
      {"/S /D=C:\\Tool /LOG=x", "S D=[C:\\Tool /LOG=x]"},
      {"/d=C:\\x", "D=[C:\\x]"},
      // Quoted whole, as a program that starts the setup quotes blanks.
      {"\"/D=C:\\Tool Box\"", "D=[C:\\Tool Box]"},
      {"\"/LOG=C:\\a b.log\" \"/s\" /D=\"C:\\x y\"", "S D=[C:\\x y] LOG=[C:\\a b.log]"},
      // Mistakes, each refused with the switch as written.
      // Quoted, the folder may come anywhere: Windows' package manager puts
      // the log's switch after it.
      {"\"/D=C:\\Tool\" /S", "S D=[C:\\Tool]"},
      {"/S /D=\"C:\\x y\" /LOG=\"C:\\l.log\"", "S D=[C:\\x y] LOG=[C:\\l.log]"},
      {"/D=C:\\a\"b", "refused: /D=C:\\a\"b"},
      {"\"/S", "refused: \"/S"},
      {"/S /X", "refused: /X"},
      {"S", "refused: S"},
      {"-S", "refused: -S"},
      {"/S /S", "refused: /S"},
      {"/S /SP", "refused: /SP"},
      {"/S=1", "refused: /S=1"},
      {"/DOWNGRADE2", "refused: /DOWNGRADE2"},
      {"/LOG= /S", "refused: /LOG="},
      {"/LOG=\"C:\\a b.log /S", "refused: /LOG=\"C:\\a b.log /S"},
      {"/LOG=\"a\"b", "refused: /LOG=\"a\"b"},
      {"/LOG=a\"b", "refused: /LOG=a\"b"},
      {"/LOG=a /LOG=b", "refused: /LOG=b"},
      {"/PASSWORDFILE", "refused: /PASSWORDFILE"},
      {"/S /D=", "refused: /D="},
      // A password is never taken from the line itself.
      {"/PASSWORD=secret", "refused: /PASSWORD=secret"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(Describe(ParseSetupSwitches(row.line)), row.expected) << "line: " << row.line;

  // A refused line that names /S or /SP shows no usage box.
  EXPECT_TRUE(AsksForNoWindows("/X /s"));
  EXPECT_TRUE(AsksForNoWindows("/LOG= /SP"));
  EXPECT_FALSE(AsksForNoWindows("/X /SPX /LOG=/S"));
  EXPECT_FALSE(AsksForNoWindows("/X /D=C:\\a /S"));
}

}  // namespace
}  // namespace pelmora::install
