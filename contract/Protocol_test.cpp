#include "contract/Protocol.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>

namespace pelmora::contract {
namespace {

// A whole run's protocol, as the uninstaller will read it. The target
// directory holds a Windows-1252 byte (ü = FC) that must pass unchanged.
Protocol SampleRun() {
  const std::string target = "C:\\Programme\\B\xFCro\\";
  Protocol p;
  p.AddHeader(target, "05.03.2026", "14:07:09");
  p.AddEntry(target, "readme.txt");
  p.AddEntry(target, "bin");
  p.AddEntry(target, "bin\\tool.exe");
  p.AddEntry(target, "LICENSE");     // a file without extension counts as a folder
  p.AddEntry(target, "v1.2\\data");  // a dot anywhere makes it a file
  p.AddMachineKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool");
  p.AddUserKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool");
  p.AddUserKey("Software\\Firma\\Tool");
  p.AddComServer(target + "tool.ocx");
  p.AddGroup("");
  p.AddTrailer("1.0.0.1", "0:01:05");
  return p;
}

TEST(Protocol, WholeBlockByteForByte) {
  const std::string expected =
      "//////////////////////////////////////////\r\n"
      "/ UnInstall protocol file DON'T DELETE!! /\r\n"
      "/                                        /\r\n"
      "/ If you delete this file, an automatic  /\r\n"
      "/ and complete uninstallation of this    /\r\n"
      "/ application will get impossible!       /\r\n"
      "//////////////////////////////////////////\r\n"
      "/Date: 05.03.2026 - Time: 14:07:09\r\n"
      "0C:\\Programme\\B\xFCro\\\r\n"
      "1C:\\Programme\\B\xFCro\\UnInstall.log\r\n"
      "1C:\\Programme\\B\xFCro\\readme.txt\r\n"
      "0C:\\Programme\\B\xFCro\\bin\r\n"
      "1C:\\Programme\\B\xFCro\\bin\\tool.exe\r\n"
      "0C:\\Programme\\B\xFCro\\LICENSE\r\n"
      "1C:\\Programme\\B\xFCro\\v1.2\\data\r\n"
      "r0SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool\r\n"
      "r1SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool\r\n"
      "r1Software\\Firma\\Tool\r\n"
      "oC:\\Programme\\B\xFCro\\tool.ocx\r\n"
      "g\r\n"
      "/end of installation\r\n"
      "/File created by Pelmora 1.0.0.1\r\n"
      "/installation duration: 0:01:05\r\n";
  const Protocol p = SampleRun();
  EXPECT_EQ(p.Bytes(), expected);
  ASSERT_EQ(p.Lines().size(), 23u);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(p.Lines()[i].size(), 42u) << "box line " << i;
}

TEST(Protocol, RefusesTextsThatWouldSplitIntoFurtherLines) {
  Protocol p;
  p.AddUserKey("Software\r\n1C:\\Windows\\win.ini");
  p.AddGroup("Tool\nGroup");
  p.AddFile(std::string("C:\\a\0b", 6));
  p.AddHeader("C:\\T\\", "1.1.2026", "1:00\r");
  p.AddTrailer("1.0\n", "0:00:01");
  p.AddGroup("Tool");
  EXPECT_EQ(p.Bytes(), "gTool\r\n");
  // The first refusal is the one named.
  ASSERT_TRUE(p.Refused().has_value());
  EXPECT_EQ(p.Refused()->reason, Reason::SplitsLine);
  EXPECT_EQ(p.Refused()->detail,
            "protocol line \"r1...\" holds a line break or NUL: Software\r\n1C:\\Windows\\win.ini");
  EXPECT_FALSE(Protocol().Refused().has_value());
}

TEST(Protocol, ElapsedTimeReadsAsTimeOfDay) {
  using namespace std::chrono;
  struct Case {
    milliseconds elapsed;
    int h, m, s;
  };
  const Case cases[] = {
      {milliseconds(0), 0, 0, 0},
      {hours(1) + minutes(2) + milliseconds(3999), 1, 2, 3},  // a started second does not count
      {hours(23) + minutes(59) + seconds(59), 23, 59, 59},
      {hours(25) + seconds(7), 1, 0, 7},  // a time of day wraps after 24 hours
      {milliseconds(-5000), 0, 0, 0},     // the clock was set back
  };
  for (const Case& c : cases) {
    const TimeOfDay t = ElapsedAsTimeOfDay(c.elapsed);
    EXPECT_EQ(t.hours, c.h) << c.elapsed.count();
    EXPECT_EQ(t.minutes, c.m) << c.elapsed.count();
    EXPECT_EQ(t.seconds, c.s) << c.elapsed.count();
  }
}

TEST(Protocol, LaterRunsAppendBlocksThatSplitBackApart) {
  const std::string first = SampleRun().Bytes();
  Protocol second;
  second.AddHeader("C:\\T\\", "06.03.2026", "09:00:00");
  second.AddEntry("C:\\T\\", "new.dll");
  second.AddGroup("Tool");
  second.AddTrailer("1.0.0.2", "0:00:02");
  // A third run whose write broke off after its first lines.
  const std::string cut =
      "//////////////////////////////////////////\r\n"
      "/ UnInstall protocol file DON'T DELETE!! /\r\n1C:\\T\\x";

  const std::vector<ProtocolBlock> blocks = SplitProtocol(first + second.Bytes() + cut);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].lines, SampleRun().Lines());
  EXPECT_EQ(blocks[1].lines, second.Lines());
  EXPECT_TRUE(blocks[0].complete);
  EXPECT_TRUE(blocks[1].complete);
  EXPECT_TRUE(blocks[2].headed);
  EXPECT_FALSE(blocks[2].complete);
  EXPECT_EQ(blocks[2].lines.back(), "1C:\\T\\x");
}

TEST(Protocol, ReaderTakesLinesApartByMarker) {
  // LF-only line ends and lines ahead of any header box are read too.
  const std::vector<ProtocolBlock> blocks = SplitProtocol(
      "0C:\\Old\\\n"
      "//////////////////////////////////////////\n"
      "/ UnInstall protocol file DON'T DELETE!! /\r\n"
      "r0HKLM key\r\nr1HKCU key\r\nrx\r\n1C:\\a.txt\r\n0C:\\d\r\noC:\\s.ocx\r\ng\r\n\r\n"
      "/installation duration: 0:00:01\r\n");
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_FALSE(blocks[0].headed);
  EXPECT_FALSE(blocks[0].complete);
  EXPECT_EQ(blocks[0].lines, std::vector<std::string>{"0C:\\Old\\"});
  EXPECT_TRUE(blocks[1].complete);

  struct Expected {
    LineKind kind;
    std::string text;
  };
  const Expected expected[] = {
      {LineKind::Comment, std::string(41, '/')},
      {LineKind::Comment, " UnInstall protocol file DON'T DELETE!! /"},
      {LineKind::MachineKey, "HKLM key"},
      {LineKind::UserKey, "HKCU key"},
      {LineKind::Unknown, "rx"},
      {LineKind::File, "C:\\a.txt"},
      {LineKind::Folder, "C:\\d"},
      {LineKind::ComServer, "C:\\s.ocx"},
      {LineKind::Group, ""},
      {LineKind::Unknown, ""},
      {LineKind::Comment, "installation duration: 0:00:01"},
  };
  ASSERT_EQ(blocks[1].lines.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const ProtocolLine line = ParseProtocolLine(blocks[1].lines[i]);
    EXPECT_EQ(line.kind, expected[i].kind) << blocks[1].lines[i];
    EXPECT_EQ(line.text, expected[i].text) << blocks[1].lines[i];
  }
}

}  // namespace
}  // namespace pelmora::contract
