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

// A product key that Windows will not delete (a link below it leads
// nowhere, so it cannot be emptied) stays, and the summary names it with
// Windows' own code; the product's other key goes, and so does its target
// folder.
TEST(Removal, AKeyWindowsKeepsIsListedWithWindowsCode) {
  std::random_device random;
  const std::string base =
      "Software\\PelmoraTest\\" + std::to_string(random()) + std::to_string(random());
  const std::string kept = base + "\\Geschuetzt";
  const std::string gone = base + "\\Frei";
  ASSERT_FALSE(winsupport::CreateRegKey(HKEY_CURRENT_USER, kept));
  ASSERT_FALSE(winsupport::CreateRegKey(HKEY_CURRENT_USER, gone));
  test::AddDanglingLink(HKEY_CURRENT_USER, kept, "Unten");

  const test::ScratchDir target("removal");
  UninstallPlan plan;
  plan.targetFolder = target.Str() + "\\";
  plan.protocolFile = plan.targetFolder + "UnInstall.Log";
  plan.userKeys = {kept, gone};
  const Outcome outcome = RemovePlanned(plan, {}, "", [](const std::string&) {});

  test::RemoveLink(HKEY_CURRENT_USER, kept, "Unten");
  winsupport::DeleteRegKey(HKEY_CURRENT_USER, base);

  ASSERT_EQ(outcome.left.size(), 1u);
  EXPECT_EQ(outcome.left[0].refusal.reason, Reason::Failed);
  EXPECT_EQ(outcome.left[0].refusal.detail, "HKEY_CURRENT_USER\\" + kept);
  EXPECT_EQ(outcome.left[0].code, static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(outcome.removed.keys, 1u);
  EXPECT_EQ(outcome.removed.folders, 1u);
  EXPECT_NE(SummaryText("Tool", outcome, true)
                .find("HKEY_CURRENT_USER\\" + kept + " (could not be removed, error 5)"),
            std::string::npos)
      << SummaryText("Tool", outcome, true);
}

}  // namespace
}  // namespace pelmora::uninstall
