#include "tools/pelmora-pack/WingetManifest.h"

#include <gtest/gtest.h>

#include "contract/ExitCodes.h"

namespace pelmora::pack {
namespace {

std::string Manifest(const WingetFacts& facts) {
  const auto written = WingetInstallerManifest(facts);
  if (const auto* problem = std::get_if<WingetProblem>(&written))
    return "refused: " + problem->message;
  return std::get<std::string>(written);
}

bool Holds(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A product whose names hold blanks, a dot, an umlaut and a quote: the
// identifier keeps what the package manager takes, the texts come as
// UTF-8, the quote doubled, the digest in capitals; the switches are the
// setup's own, the folder quoted because the log's switch follows it; every
// failure code of the table has its meaning. Without a publisher or with
// an address that is no web address nothing is written.
TEST(WingetManifest, NamesTheSetupItsSwitchesAndEveryFailureCode) {
  WingetFacts facts;
  facts.publisher = "Example Software Ltd.";
  facts.productName =
      "My \xDC"
      "bersicht Tool";
  facts.version = "1.2.0.0";
  facts.uninstallKey = "Bob's Tool";
  facts.installerUrl = "https://example.org/setup.exe";
  facts.sha256 = std::string(63, 'a') + "0";
  const std::string yaml = Manifest(facts);

  EXPECT_TRUE(Holds(yaml,
                    "PackageIdentifier: ExampleSoftwareLtd.My\xC3\x9C"
                    "bersichtTool\n"))
      << yaml;
  EXPECT_TRUE(Holds(yaml, "PackageVersion: 1.2.0.0\nInstallerType: exe\n")) << yaml;
  EXPECT_TRUE(Holds(yaml,
                    "  Silent: /S\n  SilentWithProgress: /SP\n"
                    "  InstallLocation: '/D=\"<INSTALLPATH>\"'\n  Log: '/LOG=\"<LOGPATH>\"'\n"))
      << yaml;
  EXPECT_TRUE(Holds(yaml, "ProductCode: 'Bob''s Tool'\n")) << yaml;
  EXPECT_TRUE(
      Holds(yaml, "    InstallerUrl: 'https://example.org/setup.exe'\n    InstallerSha256: " +
                      std::string(63, 'A') + "0\n"))
      << yaml;
  for (const auto& [code, response] : {std::pair{contract::kExitDowngradeRefused, "downgrade"},
                                       std::pair{contract::kExitCancelled, "cancelledByUser"},
                                       std::pair{contract::kExitUsage, "invalidParameter"},
                                       std::pair{contract::kExitOutOfMemory, "insufficientMemory"}})
    EXPECT_TRUE(Holds(yaml, "  - InstallerReturnCode: " + std::to_string(code) +
                                "\n    ReturnResponse: " + response + "\n"))
        << code;
  for (int code = contract::kExitRefused; code <= contract::kExitFailedNotRemovable; ++code) {
    if (code == contract::kExitItemsLeft) continue;  // the uninstaller's alone
    EXPECT_TRUE(Holds(yaml, "InstallerReturnCode: " + std::to_string(code) + "\n")) << code;
  }

  // A name longer than the manager takes is cut at 32 characters.
  EXPECT_EQ(std::get<std::string>(PackageIdentifier("Vendor", std::string(40, 'x'))),
            "Vendor." + std::string(32, 'x'));
  facts.publisher = " . ";
  EXPECT_TRUE(
      Holds(Manifest(facts), "refused: the package identifier is made of [support] publisher"));
  facts.publisher = "Example";
  facts.installerUrl = "ftp://example.org/setup.exe";
  EXPECT_TRUE(Holds(Manifest(facts), "refused: the download address \"ftp://"));
}

}  // namespace
}  // namespace pelmora::pack
