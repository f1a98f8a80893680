#include "uninstall/Removal_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "TestFiles.h"
#include "TestPaths.h"
#include "winsupport/ComServer_win.h"
#include "uninstall/UninstallTexts.h"
#include "winsupport/Registry_win.h"
#include "winsupport/RegistryLink_win_testutil.h"

namespace pelmora::uninstall {
namespace {

std::string UniqueName() {
  std::random_device random;
  return std::to_string(random()) + std::to_string(random());
}

// A product key the removal will not delete (its path passes through a
// registry link, which deletion never follows) stays, and the summary names
// it with the reason; what the link leads to is untouched. The product's
// other key goes, and so does its target folder; only what went is counted.
TEST(Removal, AKeyReachedThroughALinkIsListedAndLeft) {
  const std::string base = "Software\\PelmoraTest\\" + UniqueName();
  const std::string kept = base + "\\Verweis\\Geschuetzt";
  const std::string gone = base + "\\Frei";
  ASSERT_FALSE(winsupport::CreateRegKey(HKEY_CURRENT_USER, base + "\\Ziel\\Geschuetzt"));
  ASSERT_FALSE(winsupport::CreateRegKey(HKEY_CURRENT_USER, gone));
  test::AddLink(HKEY_CURRENT_USER, base, "Verweis", test::UserKeyName(base + "\\Ziel"));

  const test::ScratchDir target("removal");
  UninstallPlan plan;
  plan.targetFolder = target.Str() + "\\";
  plan.protocolFile = plan.targetFolder + "UnInstall.Log";
  // A recorded key that is gone already counts neither as removed nor as left.
  plan.userKeys = {kept, gone, base + "\\Fehlt"};
  const Outcome outcome = RemovePlanned(plan, {}, "", true, [](const std::string&) {});

  EXPECT_TRUE(winsupport::RegKeyExists(HKEY_CURRENT_USER, base + "\\Ziel\\Geschuetzt"));
  winsupport::DeleteRegKey(HKEY_CURRENT_USER, base);

  ASSERT_EQ(outcome.left.size(), 1u);
  EXPECT_EQ(outcome.left[0].refusal.reason, Reason::ThroughLink);
  EXPECT_EQ(outcome.left[0].refusal.detail, "HKEY_CURRENT_USER\\" + kept);
  EXPECT_EQ(outcome.removed.keys, 1u);
  EXPECT_EQ(outcome.removed.folders, 1u);
  EXPECT_NE(
      SummaryText("Tool", outcome, true)
          .find("HKEY_CURRENT_USER\\" + kept + " (refused: reached through a junction or link)"),
      std::string::npos)
      << SummaryText("Tool", outcome, true);
}

// A server is unregistered only while its file is the one the setup
// registered: with a byte added it is left as changed, and not loaded.
TEST(Removal, AChangedServerIsNotLoadedAndTheRegisteredOneIsUnregistered) {
  constexpr const char* kMarkerKey = "Software\\PelmoraTest\\ComServer";
  const test::ScratchDir target("removal-server");
  const std::string server = target.Str() + "\\tool.ocx";
  std::filesystem::copy_file(test::HostPath(PELMORA_TESTCOM_REGISTERS), server);
  std::string digest;
  {
    auto held = winsupport::HoldServer(server);
    ASSERT_TRUE(std::holds_alternative<winsupport::HeldServer>(held));
    const auto& file = std::get<winsupport::HeldServer>(held);
    ASSERT_FALSE(winsupport::CallServerEntry(file, "DllRegisterServer", true));
    digest = file.digest;
  }
  const std::string original = test::ReadText(server);
  test::WriteText(server, original + '\0');

  UninstallPlan plan;
  plan.targetFolder = target.Str() + "\\";
  plan.protocolFile = plan.targetFolder + "UnInstall.Log";
  plan.comServers = {server};
  const Outcome changed =
      RemovePlanned(plan, {{server, digest}}, "", true, [](const std::string&) {});
  // Servers come first; the target, which still holds it, stays too.
  ASSERT_FALSE(changed.left.empty());
  EXPECT_EQ(changed.left[0].refusal.reason, Reason::ServerChanged);
  EXPECT_EQ(changed.left[0].refusal.detail, server);
  EXPECT_EQ(changed.removed.servers, 0u);
  EXPECT_TRUE(winsupport::ReadRegString(HKEY_CURRENT_USER, kMarkerKey, "Registered"));

  test::WriteText(server, original);
  const Outcome unchanged =
      RemovePlanned(plan, {{server, digest}}, "", true, [](const std::string&) {});
  EXPECT_EQ(unchanged.removed.servers, 1u);
  EXPECT_FALSE(winsupport::ReadRegString(HKEY_CURRENT_USER, kMarkerKey, "Registered"));
  winsupport::DeleteRegKey(HKEY_CURRENT_USER, kMarkerKey);
}

// The vendor's own key, recorded by the product: while another product of
// the vendor has its key in it, it stays and is listed; once only what this
// product recorded was in it, it goes.
TEST(Removal, TheVendorsKeyGoesOnlyWhenNothingElseIsInIt) {
  const std::string vendor = "Software\\PelmoraVendor" + UniqueName();
  const std::string other = vendor + "\\Anderes";
  const test::ScratchDir target("vendor");
  UninstallPlan plan;
  plan.targetFolder = target.Str() + "\\";
  plan.protocolFile = plan.targetFolder + "UnInstall.Log";
  plan.userKeys = {vendor, vendor + "\\Tool"};

  for (const bool othersThere : {true, false}) {
    ASSERT_FALSE(winsupport::CreateRegKey(HKEY_CURRENT_USER, vendor + "\\Tool\\Sub"));
    if (othersThere) {
      ASSERT_FALSE(winsupport::CreateRegKey(HKEY_CURRENT_USER, other));
    }
    const Outcome outcome = RemovePlanned(plan, {}, "", true, [](const std::string&) {});
    EXPECT_FALSE(winsupport::RegKeyExists(HKEY_CURRENT_USER, vendor + "\\Tool"));
    EXPECT_EQ(winsupport::RegKeyExists(HKEY_CURRENT_USER, other), othersThere);
    EXPECT_EQ(winsupport::RegKeyExists(HKEY_CURRENT_USER, vendor), othersThere);
    if (othersThere) {
      ASSERT_EQ(outcome.left.size(), 1u);
      EXPECT_EQ(outcome.left[0].refusal.reason, Reason::KeyNotEmpty);
      EXPECT_EQ(outcome.left[0].refusal.detail, "HKEY_CURRENT_USER\\" + vendor);
      winsupport::DeleteRegKey(HKEY_CURRENT_USER, other);
    } else {
      EXPECT_TRUE(outcome.left.empty());
      EXPECT_EQ(outcome.removed.keys, 2u);
    }
  }
  winsupport::DeleteRegKey(HKEY_CURRENT_USER, vendor);
}

}  // namespace
}  // namespace pelmora::uninstall
