#include "tools/pelmora-pack/PackCommand.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <tuple>

#include "TestPaths.h"
#include "TestFiles.h"

namespace pelmora::pack {
namespace {

struct PackRun {
  int code;
  std::string out, err;
};

PackRun Pack(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int code = RunPackCommand(args, out, err);
  return {code, out.str(), err.str()};
}

TEST(PelmoraPack, EncodeThenDecodeGivesThePlainTextBack) {
  pelmora::test::ScratchDir dir("pack");
  const auto plain = dir.Path() / "install.txt";
  const auto pmd = dir.Path() / "install.pmd";
  const auto back = dir.Path() / "back.txt";
  const std::string text =
      "1.0.0.1\nDemo\n1.2.3.4\nDemoKey\nC:\\Programme\\Demo\ndemo.exe\n<begininfos>\nGrüße\n<"
      "endinfos>\n";
  { std::ofstream(plain, std::ios::binary) << text; }

  ASSERT_EQ(Pack({"encode", plain.string(), pmd.string()}).code, 0);
  const std::string stored = pelmora::test::ReadText(pmd);
  EXPECT_EQ(stored.find("Demo"), std::string::npos);  // scrambled
  EXPECT_NE(stored.find("\r\n"), std::string::npos);

  ASSERT_EQ(Pack({"decode", pmd.string(), back.string()}).code, 0);
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(pelmora::test::ReadText(back), crlf);

  const PackRun toStdout = Pack({"decode", pmd.string()});
  EXPECT_EQ(toStdout.code, 0);
  EXPECT_EQ(toStdout.out, crlf);
}

TEST(PelmoraPack, ShowListsWhatTheSetupReadsAndChecksTheVersion) {
  pelmora::test::ScratchDir dir("packshow");
  const auto plain = dir.Path() / "p.txt";
  const auto pmd = dir.Path() / "p.pmd";
  { std::ofstream(plain, std::ios::binary) << "1.0.0.1\nDemo\n1.2.3.4\nDemoKey\nC:\\D\n.exe\n"; }
  ASSERT_EQ(Pack({"encode", plain.string(), pmd.string()}).code, 0);

  const PackRun show = Pack({"show", pmd.string()});
  EXPECT_EQ(show.code, 0);
  EXPECT_NE(show.out.find("Demo 1.2.3.4"), std::string::npos) << show.out;
  EXPECT_NE(show.out.find("C:\\D\\"), std::string::npos);
  EXPECT_NE(show.out.find("(none)"), std::string::npos);

  const PackRun wrong = Pack({"show", pmd.string(), "--version", "2.0.0.0"});
  EXPECT_EQ(wrong.code, 1);
  EXPECT_NE(wrong.err.find("Needed \"2.0.0.0\""), std::string::npos) << wrong.err;
}

TEST(PelmoraPack, FailuresSayWhatFailedAndExitNonZero) {
  pelmora::test::ScratchDir dir("packfail");
  const PackRun missing = Pack({"decode", (dir.Path() / "nope.pmd").string()});
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("cannot open"), std::string::npos);

  const auto bad = dir.Path() / "bad.txt";
  { std::ofstream(bad, std::ios::binary) << "1.0.0.1\nonly\n"; }
  const PackRun damaged = Pack({"encode", bad.string(), (dir.Path() / "x.pmd").string()});
  EXPECT_EQ(damaged.code, 1);
  EXPECT_NE(damaged.err.find("Zeile 6"), std::string::npos) << damaged.err;
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "x.pmd"));

  // Fixed lines the setup program would refuse: the Uninstall key itself or
  // one nested in another's, a target folder that depends on the current
  // drive or lies on a network share.
  for (const auto& [keyName, folder, line] :
       {std::tuple{"\\", "C:\\Demo", "Zeile 4"}, std::tuple{"A\\B", "C:\\Demo", "Zeile 4"},
        std::tuple{"Demo", "\\", "Zeile 5"}, std::tuple{"Demo", "Programme\\Demo", "Zeile 5"},
        std::tuple{"Demo", "\\\\srv\\share\\Demo", "Netzwerkpfad"}}) {
    {
      std::ofstream(bad, std::ios::binary) << "1.0.0.1\nDemo\n1.0\n"
                                           << keyName << "\n"
                                           << folder << "\nd.exe\n";
    }
    const PackRun refused = Pack({"encode", bad.string(), (dir.Path() / "x.pmd").string()});
    EXPECT_EQ(refused.code, 1) << keyName << " " << folder;
    EXPECT_NE(refused.err.find(line), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "x.pmd"));
  }

  EXPECT_EQ(Pack({}).code, 2);
  EXPECT_EQ(Pack({"encode", "only-one"}).code, 2);
}

}  // namespace
}  // namespace pelmora::pack
