#include "install/TakeBack.h"

#include <gtest/gtest.h>

#include <sstream>

#include "contract/Protocol.h"

namespace pelmora::install {
namespace {

std::vector<std::string> LinesOf(const std::string& block) {
  std::vector<std::string> lines;
  std::istringstream in(block);
  for (std::string line; std::getline(in, line);) {
    EXPECT_TRUE(!line.empty() && line.back() == '\r') << line;
    lines.push_back(line.substr(0, line.size() - 1));
  }
  return lines;
}

// An update over an earlier installation that found some of its things in
// place (named in other letter cases than the run's lines): only what the
// run created is taken back; the header and the target's line stay for the
// plan; a server goes only when this run registered it and its file is new.
TEST(TakeBackBlock, LeavesOutWhatWasThereBefore) {
  const std::string target = "C:\\Firma\\Tool\\";
  contract::Protocol protocol;
  protocol.AddHeader(target, "1/2/2020", "12:34:56");
  protocol.AddFolder("C:\\Firma\\");
  for (const char* entry :
       {"daten", "daten\\alt.txt", "daten\\neu.txt", "neu.dll", "alt.ocx", "fremd.ocx"})
    protocol.AddEntry(target, entry);
  protocol.AddMachineKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool");
  protocol.AddUserKey("Software\\Firma\\Tool");
  protocol.AddUserKey("Software\\Firma\\Neu");
  for (const char* server : {"neu.dll", "alt.ocx"}) protocol.AddComServer(target + server);
  protocol.AddGroup("Firma");
  protocol.AddGroup("Neu");
  protocol.AddTrailer("1.0", "0:00:01");

  FoundBeforeRun before;
  before.paths = {"C:\\Firma\\Tool\\", "c:\\firma\\tool\\DATEN", "C:/Firma/Tool/daten/alt.txt",
                  "C:\\Firma\\Tool\\alt.ocx"};
  before.userKeys = {"SOFTWARE\\FIRMA\\TOOL"};
  before.groups = {"firma"};
  const std::vector<std::string> registered = {"C:\\FIRMA\\TOOL\\NEU.DLL",
                                               "C:\\Firma\\Tool\\alt.ocx"};

  // The box, the date and the target's line, then what the run created.
  std::vector<std::string> expected(protocol.Lines().begin(), protocol.Lines().begin() + 9);
  ASSERT_EQ(expected.back(), "0C:\\Firma\\Tool\\");
  for (const char* line :
       {"1C:\\Firma\\Tool\\UnInstall.log", "0C:\\Firma\\", "1C:\\Firma\\Tool\\daten\\neu.txt",
        "1C:\\Firma\\Tool\\neu.dll", "1C:\\Firma\\Tool\\fremd.ocx",
        "r0SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tool", "r1Software\\Firma\\Neu",
        "oC:\\Firma\\Tool\\neu.dll", "gNeu"})
    expected.emplace_back(line);
  expected.insert(expected.end(), protocol.Lines().end() - 3, protocol.Lines().end());
  EXPECT_EQ(LinesOf(TakeBackBlock(protocol.Lines(), before, registered)), expected);
}

}  // namespace
}  // namespace pelmora::install
