// ACE 1.0 streams checked by an independent reader: Debian's unace 1.2b
// tests a hand-assembled archive. Built for Linux only.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "acewriter/encode/Encoder.h"
#include "acewriter/encode/RoundTrip_testutil.h"
#include "tests/support/TestPaths.h"

namespace pelmora::acewriter::encode {
namespace {

using test::Bytes;

std::string RunUnaceTest(const std::string& archive, const std::string& log) {
  const std::string command = "unace t -y '" + archive + "' > '" + log + "' 2>&1";
  const int status = std::system(command.c_str());
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  return "exit " + std::to_string(status) + "\n" + text.str();
}

TEST(DebianUnace, TestsSolidAndNonSolidArchivesOk) {
  if (std::system("command -v unace > /dev/null 2>&1") != 0) GTEST_SKIP() << "unace not installed";
  pelmora::test::ScratchDir dir("encode-unace");

  // Members that exercise far distances, long runs, many blocks and
  // references into earlier members and a stored member.
  const Bytes text = test::WordSoup(300000, 1);
  Bytes mixed = test::RandomBytes(80000, 2);
  mixed.insert(mixed.end(), text.begin(), text.begin() + 100000);
  mixed.insert(mixed.end(), 5000, 0);
  const Bytes stored = test::RandomBytes(3000, 3);
  const Bytes changing = test::ChangingKinds(300000, 4);  // blocks of many sizes
  Bytes referring(mixed.begin(), mixed.begin() + 20000);
  referring.insert(referring.end(), stored.begin(), stored.end());

  // Level 5 takes the cost-based parse, the others the lazy one.
  for (const int level : {3, 5})
    for (const bool solid : {false, true}) {
      Options options;
      options.level = level;
      Encoder encoder(options);
      std::vector<test::ArchiveMember> members;
      members.push_back({"text.txt", text, encoder.EncodeMember(text, solid), 1});
      members.push_back({"dir\\mixed.bin", mixed, encoder.EncodeMember(mixed, solid), 1});
      members.push_back({"stored.bin", stored, {}, 0});
      if (solid) encoder.AppendStored(stored);
      members.push_back({"changing.bin", changing, encoder.EncodeMember(changing, solid), 1});
      members.push_back({"referring.bin", referring, encoder.EncodeMember(referring, solid), 1});
      if (solid) {
        EXPECT_LT(members.back().packed.size(), 200u) << "level " << level;
      }

      const std::string path =
          (dir.Path() / ((solid ? "solid" : "plain") + std::to_string(level) + ".ace")).string();
      pelmora::test::WriteBytes(path, test::BuildArchive(members, encoder.Params(), solid));
      const std::string report = RunUnaceTest(path, path + ".log");
      EXPECT_NE(report.find("exit 0\n"), std::string::npos) << "level " << level << report;
      std::size_t oks = 0;
      for (std::size_t at = report.find("CRC OK"); at != std::string::npos;
           at = report.find("CRC OK", at + 1))
        ++oks;
      EXPECT_EQ(oks, members.size()) << report;
    }
}

}  // namespace
}  // namespace pelmora::acewriter::encode
