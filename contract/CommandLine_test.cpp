#include "contract/CommandLine.h"

#include <gtest/gtest.h>

namespace pelmora::contract {
namespace {

// "S" when silent, the log file, the protocol, and the first word not
// understood (after "!"), side by side.
std::string Read(std::string_view line) {
  const UninstallerCall call = ParseUninstallerCall(line);
  std::string text = (call.silent ? "S|" : "-|") + call.logFile + "|" + call.protocol;
  if (call.misuse) text += "!" + call.misuse->detail;
  return text;
}

// The lines the setup writes, as Windows, a package manager or an
// administrator passes them on: quoted or not, blanks in every path, the
// switches anywhere and in any case; and what is refused as misuse, without
// losing /S (so a silent run stays silent) or the log (so it says why).
TEST(CommandLine, TheUninstallersSwitchesAndProtocol) {
  const struct {
    const char* line;
    const char* read;
  } table[] = {
      // As the setup writes the two commands, in a Windows folder with blanks.
      {"C:\\WINDOWS\\stUnInst.exe \"C:\\Mein B\xFCro\\A b\\UnInstall.log\"",
       "-||C:\\Mein B\xFCro\\A b\\UnInstall.log"},
      {"C:\\Win Dir\\stUnInst.exe /S \"C:\\Firma\\Mein Produkt\\UnInstall.log\"",
       "S||C:\\Firma\\Mein Produkt\\UnInstall.log"},
      {"C:\\W.exe dir\\stUnInst.exe /S \"C:\\P\\UnInstall.log\"", "S||C:\\P\\UnInstall.log"},
      // Case, order, tabs, a quoted program, a log quoted either way.
      {"\"C:\\Win Dir\\stUnInst.exe\" \"C:\\P\\UnInstall.log\" /s\t/log=C:\\l.txt",
       "S|C:\\l.txt|C:\\P\\UnInstall.log"},
      {"stUnInst.exe /LOG=\"C:\\Log Dir\\weg.log\" /S C:\\a b\\UnInstall.log",
       "S|C:\\Log Dir\\weg.log|C:\\a b\\UnInstall.log"},
      {"stUnInst.exe \"/Log=C:\\Log Dir\\weg.log\" \"C:\\P\\UnInstall.log\"",
       "-|C:\\Log Dir\\weg.log|C:\\P\\UnInstall.log"},
      // An unquoted path with blanks ends where a switch begins.
      {"C:\\WINDOWS\\STUNINST.EXE C:\\Mein Produkt\\UnInstall.log /S",
       "S||C:\\Mein Produkt\\UnInstall.log"},
      {"stUnInst /S", "S||"},
      {"stUnInst", "-||"},
      // Misuse: an unknown switch, one that only begins like a known one,
      // /LOG= empty or twice, a second path, a path beginning with "/".
      {"stUnInst.exe /S /X \"C:\\P\\UnInstall.log\"", "S||C:\\P\\UnInstall.log!/X"},
      {"stUnInst.exe /SILENT /LOG=C:\\l.txt C:\\P\\UnInstall.log",
       "-|C:\\l.txt|C:\\P\\UnInstall.log!/SILENT"},
      {"stUnInst.exe /LOG= /S C:\\P\\UnInstall.log", "S||C:\\P\\UnInstall.log!/LOG="},
      {"stUnInst.exe /LOG=\"\" C:\\P\\UnInstall.log", "-||C:\\P\\UnInstall.log!/LOG="},
      {"stUnInst.exe /LOG=a.txt /LOG=b.txt", "-|a.txt|!/LOG=b.txt"},
      {"stUnInst.exe \"C:\\P\\UnInstall.log\" \"C:\\Q\\UnInstall.log\" /S",
       "S||C:\\P\\UnInstall.log!C:\\Q\\UnInstall.log"},
      {"stUnInst.exe \"/P/UnInstall.log\"", "-||!/P/UnInstall.log"},
  };
  for (const auto& row : table) EXPECT_EQ(Read(row.line), row.read) << row.line;

  // The split the setup and the uninstaller use to match an entry to its
  // protocol: the program stops before a switch, so the quiet command
  // names the same program.
  const CommandLine quiet = SplitCommandLine("C:\\W.exe dir\\stUnInst.exe /S \"C:\\P\\U.log\"");
  EXPECT_EQ(quiet.program, "C:\\W.exe dir\\stUnInst.exe");
}

}  // namespace
}  // namespace pelmora::contract
