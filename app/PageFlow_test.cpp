#include "app/PageFlow.h"

#include <gtest/gtest.h>

#include <vector>

namespace pelmora::app {
namespace {

using Kind = HandOver::Kind;

struct Row {
  const char* name;
  Page from;
  Action action;
  FlowFacts facts;
  Kind kind;
  Page target;
  Placement placement;
  bool focusNext = false;
  bool modeAwaitsChoice = false;
  bool adjustMode = false;
  bool backslash = false;
  bool closeFirst = false;
  bool stop = false;
  bool finish = false;
};

constexpr FlowFacts kNone{};
constexpr FlowFacts kInfo{true, false, false};
constexpr FlowFacts kExisting{false, true, false};
constexpr FlowFacts kInfoAndExisting{true, true, false};
constexpr FlowFacts kEmptyDirectory{false, false, true};
constexpr auto At = Placement::AtCurrentPage;

// One row per line of the wizard's hand-over table, plus the precedence
// cases where two conditions hold at once.
const std::vector<Row> kRows = {
    {"welcome next to information", Page::Welcome, Action::Next, kInfo, Kind::ShowPage,
     Page::Information, At, true},
    {"welcome next: information wins over existing", Page::Welcome, Action::Next, kInfoAndExisting,
     Kind::ShowPage, Page::Information, At, true},
    {"welcome next to existing resets the mode", Page::Welcome, Action::Next, kExisting,
     Kind::ShowPage, Page::ExistingInstallation, At, false, true},
    {"welcome next to target", Page::Welcome, Action::Next, kNone, Kind::ShowPage,
     Page::TargetDirectory, At, true},
    {"welcome cancel", Page::Welcome, Action::Cancel, kNone, Kind::CloseMainWindow, Page::Welcome,
     At},
    {"welcome back is disabled", Page::Welcome, Action::Back, kInfo, Kind::Nothing, Page::Welcome,
     At},
    {"information back", Page::Information, Action::Back, kInfoAndExisting, Kind::ShowPage,
     Page::Welcome, At},
    {"information next to existing, mode untouched", Page::Information, Action::Next,
     kInfoAndExisting, Kind::ShowPage, Page::ExistingInstallation, At},
    {"information next to target", Page::Information, Action::Next, kInfo, Kind::ShowPage,
     Page::TargetDirectory, At, true},
    {"information cancel", Page::Information, Action::Cancel, kInfo, Kind::CloseMainWindow,
     Page::Welcome, At},
    {"existing back to information", Page::ExistingInstallation, Action::Back, kInfoAndExisting,
     Kind::ShowPage, Page::Information, At},
    {"existing back to welcome", Page::ExistingInstallation, Action::Back, kExisting,
     Kind::ShowPage, Page::Welcome, At},
    {"existing next", Page::ExistingInstallation, Action::Next, kExisting, Kind::ShowPage,
     Page::TargetDirectory, Placement::Unchanged, false, false, true},
    {"existing cancel", Page::ExistingInstallation, Action::Cancel, kExisting,
     Kind::CloseMainWindow, Page::Welcome, At, false, false, false, false, true},
    {"target back to information", Page::TargetDirectory, Action::Back, kInfoAndExisting,
     Kind::ShowPage, Page::Information, At},
    {"target back to existing", Page::TargetDirectory, Action::Back, kExisting, Kind::ShowPage,
     Page::ExistingInstallation, At},
    {"target back to welcome", Page::TargetDirectory, Action::Back, kNone, Kind::ShowPage,
     Page::Welcome, At},
    {"target next with empty edit", Page::TargetDirectory, Action::Next, kEmptyDirectory,
     Kind::Nothing, Page::Welcome, At},
    {"target next to installation", Page::TargetDirectory, Action::Next, kNone, Kind::ShowPage,
     Page::Installation, Placement::Centred, false, false, false, true},
    {"target cancel", Page::TargetDirectory, Action::Cancel, kNone, Kind::CloseMainWindow,
     Page::Welcome, At, false, false, false, false, true},
    {"run finished", Page::Installation, Action::RunFinished, kNone, Kind::ShowPage, Page::Finished,
     Placement::AtTargetDirectoryPage},
    {"installation cancel stops the reader", Page::Installation, Action::Cancel, kNone,
     Kind::CloseMainWindow, Page::Welcome, At, false, false, false, false, false, true},
    {"finish", Page::Finished, Action::Next, kNone, Kind::CloseMainWindow, Page::Welcome, At, false,
     false, false, false, true, false, true},
    {"finished back is disabled", Page::Finished, Action::Back, kNone, Kind::Nothing, Page::Welcome,
     At},
};

TEST(PageFlow, EveryRowOfTheHandOverTable) {
  for (const Row& row : kRows) {
    const HandOver h = DecideHandOver(row.from, row.action, row.facts);
    SCOPED_TRACE(row.name);
    EXPECT_EQ(h.kind, row.kind);
    if (row.kind == Kind::ShowPage) {
      EXPECT_EQ(h.target, row.target);
      EXPECT_EQ(h.placement, row.placement);
    }
    EXPECT_EQ(h.focusTargetNext, row.focusNext);
    EXPECT_EQ(h.setInstallModeAwaitingChoice, row.modeAwaitsChoice);
    EXPECT_EQ(h.adjustInstallModeFromChoice, row.adjustMode);
    EXPECT_EQ(h.appendBackslashToDirectory, row.backslash);
    EXPECT_EQ(h.closeCurrentPageFirst, row.closeFirst);
    EXPECT_EQ(h.stopArchiveReader, row.stop);
    EXPECT_EQ(h.finishInstallation, row.finish);
  }
}

TEST(PageFlow, OnlyTheWelcomePagesWayToTheExistingPageResetsTheMode) {
  for (Page from : {Page::Information, Page::TargetDirectory}) {
    for (Action a : {Action::Next, Action::Back}) {
      const HandOver h = DecideHandOver(from, a, kInfoAndExisting);
      EXPECT_FALSE(h.setInstallModeAwaitingChoice);
    }
  }
}

}  // namespace
}  // namespace pelmora::app
