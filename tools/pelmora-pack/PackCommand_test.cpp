#include "tools/pelmora-pack/PackCommand.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <tuple>

#include "TestPaths.h"
#include "TestFiles.h"
#include "tools/acetool/RunTool_testutil.h"

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
  {
    std::ofstream(plain, std::ios::binary)
        << "1.0.0.1\nDemo\n1.2.3.4\nDemoKey\nC:\\D\n.exe\n<beginicons>\n"
           "G\nPlain\nd.exe\nicon\nG\nPainted\nd.exe\nd.ico\n<endicons>\n";
  }
  ASSERT_EQ(Pack({"encode", plain.string(), pmd.string()}).code, 0);

  const PackRun show = Pack({"show", pmd.string()});
  EXPECT_EQ(show.code, 0);
  EXPECT_NE(show.out.find("Demo 1.2.3.4"), std::string::npos) << show.out;
  EXPECT_NE(show.out.find("C:\\D\\"), std::string::npos);
  EXPECT_NE(show.out.find("(none)"), std::string::npos);
  // A shortcut without an icon file shows none.
  EXPECT_NE(show.out.find("G \\ Plain -> d.exe\n"), std::string::npos) << show.out;
  EXPECT_NE(show.out.find("G \\ Painted -> d.exe (icon: d.ico)\n"), std::string::npos);

  // The version message in lines a terminal keeps.
  const PackRun wrong = Pack({"show", pmd.string(), "--version", "2.0.0.0"});
  EXPECT_EQ(wrong.code, 1);
  EXPECT_NE(wrong.err.find("\nNeeded \"2.0.0.0\"\nFound \"1.0.0.1\""), std::string::npos)
      << wrong.err;
  EXPECT_EQ(wrong.err.find('\r'), std::string::npos);

  // Anything else that is no description, in English: the setup's own
  // message is German.
  const PackRun other = Pack({"show", plain.string()});
  EXPECT_EQ(other.code, 1);
  EXPECT_EQ(other.err.rfind("not readable: damaged description: line ", 0), 0u) << other.err;
  EXPECT_EQ(other.err.find("Zeile"), std::string::npos) << other.err;
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
  EXPECT_NE(damaged.err.find("the file ends before line 6"), std::string::npos) << damaged.err;
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "x.pmd"));

  // Fixed lines the setup program would refuse: the Uninstall key itself or
  // one nested in another's, a target folder that depends on the current
  // drive or lies on a network share.
  for (const auto& [keyName, folder, line] :
       {std::tuple{"\\", "C:\\Demo", "line 4"}, std::tuple{"A\\B", "C:\\Demo", "line 4"},
        std::tuple{"Demo", "\\", "line 5 (the default folder) is no absolute folder"},
        std::tuple{"Demo", "Programme\\Demo", "line 5"},
        std::tuple{"Demo", "\\\\srv\\share\\Demo",
                   "line 5 (the default folder) is a network path"}}) {
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
}

// Both tools: asking for help prints usage on standard output with status 0;
// a command line that says nothing sensible prints it on standard error with
// status 2. Nothing else happens in either case (no file is opened).
TEST(ToolHelp, HelpGoesToStandardOutputAndUsageErrorsToStandardErrorWithStatus2) {
  using acetool::testutil::RunTool;
  struct Case {
    std::vector<std::string> args;
    bool acetool;
    int code;
    std::vector<std::string> says;  // in the output the code chooses
  };
  const std::string manifest = "README.md, section \"pelmora-pack\"";
  const std::vector<Case> cases = {
      {{"--help"}, false, 0, {"pelmora-pack build MANIFEST", "pelmora-pack show PMD", manifest}},
      {{"-h"}, false, 0, {"pelmora-pack encode PLAIN PMD", manifest}},
      {{"help", "build"}, false, 0, {"pelmora-pack decode PMD"}},
      {{"build", "--help"}, false, 0, {"usage: pelmora-pack build MANIFEST", manifest}},
      {{"build", "m", "-h", "--quiet"}, false, 0, {"usage: pelmora-pack build"}},
      {{"show", "--help"}, false, 0, {"usage: pelmora-pack show PMD"}},
      {{"show", "x.pmd", "--version", "1", "-h"}, false, 0, {"usage: pelmora-pack show"}},
      {{"encode", "-h"}, false, 0, {"usage: pelmora-pack encode"}},
      {{"init", "--help"}, false, 0, {"usage: pelmora-pack init PAYLOAD_DIR"}},
      {{"init"}, false, 2, {"usage: pelmora-pack init"}},
      {{"decode", "--help"}, false, 0, {"usage: pelmora-pack decode"}},
      {{"--help"}, true, 0, {"usage: acetool l ARCHIVE", "acetool c ARCHIVE DIR"}},
      {{"-h"}, true, 0, {"usage: acetool"}},
      {{"x", "--help"}, true, 0, {"usage: acetool"}},
      {{"c", "a.ace", "dir", "--level", "3", "-h"}, true, 0, {"usage: acetool"}},
      {{}, false, 2, {"no command given", "pelmora-pack build MANIFEST"}},
      {{"frobnicate"}, false, 2, {"unknown command \"frobnicate\"", manifest}},
      {{"encode", "only-one"}, false, 2, {"usage: pelmora-pack encode PLAIN PMD"}},
      {{"show"}, false, 2, {"usage: pelmora-pack show PMD"}},
      {{"build", "m", "p"}, false, 2, {"build takes MANIFEST PAYLOAD_DIR OUT_DIR", "--help"}},
      {{"build", "m", "p", "o", "--sign"}, false, 2, {"--sign needs a value"}},
      {{}, true, 2, {"no command given", "usage: acetool"}},
      {{"--help-me"}, true, 2, {"unknown command", "usage: acetool"}},
      {{"x", "only-archive"}, true, 2, {"ARCHIVE DIR", "usage: acetool"}},
  };
  for (const Case& c : cases) {
    PackRun run;
    if (c.acetool) {
      const auto r = RunTool(c.args);
      run = {r.status, r.out, r.err};
    } else {
      run = Pack(c.args);
    }
    std::string line = c.acetool ? "acetool" : "pelmora-pack";
    for (const std::string& a : c.args) line += " " + a;
    EXPECT_EQ(run.code, c.code) << line << "\n" << run.out << run.err;
    const std::string& shown = c.code == 0 ? run.out : run.err;
    const std::string& silent = c.code == 0 ? run.err : run.out;
    EXPECT_EQ(silent, "") << line;
    for (const std::string& text : c.says)
      EXPECT_NE(shown.find(text), std::string::npos) << line << " lacks " << text << ":\n" << shown;
  }
}

}  // namespace
}  // namespace pelmora::pack
