#include "uninstall/Removal_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "TestPaths.h"
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
// other key goes, and so does its target folder.
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
  plan.userKeys = {kept, gone};
  const Outcome outcome = RemovePlanned(plan, {}, "", [](const std::string&) {});

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
    const Outcome outcome = RemovePlanned(plan, {}, "", [](const std::string&) {});
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
