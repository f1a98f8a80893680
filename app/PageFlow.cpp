#include "app/PageFlow.h"

namespace pelmora::app {

namespace {

HandOver Show(Page target, Placement placement = Placement::AtCurrentPage, bool focusNext = false) {
  HandOver h;
  h.kind = HandOver::Kind::ShowPage;
  h.target = target;
  h.placement = placement;
  h.focusTargetNext = focusNext;
  return h;
}

HandOver CloseMain(bool closeCurrentFirst = false) {
  HandOver h;
  h.kind = HandOver::Kind::CloseMainWindow;
  h.closeCurrentPageFirst = closeCurrentFirst;
  return h;
}

// The information page takes part in the way only when its first line has text.
HandOver BackFromLaterPage(const FlowFacts& f, bool existingPageIsBehind) {
  if (f.informationFirstLineNotEmpty) return Show(Page::Information);
  if (existingPageIsBehind && f.existingInstall) return Show(Page::ExistingInstallation);
  return Show(Page::Welcome);
}

HandOver FromWelcome(Action a, const FlowFacts& f) {
  switch (a) {
    case Action::Next:
      if (f.informationFirstLineNotEmpty)
        return Show(Page::Information, Placement::AtCurrentPage, true);
      if (f.existingInstall) {
        HandOver h = Show(Page::ExistingInstallation);
        h.setInstallModeAwaitingChoice = true;
        return h;
      }
      return Show(Page::TargetDirectory, Placement::AtCurrentPage, true);
    case Action::Cancel:
      return CloseMain();
    default:
      return {};  // Back is always disabled here
  }
}

HandOver FromInformation(Action a, const FlowFacts& f) {
  switch (a) {
    case Action::Back:
      return Show(Page::Welcome);
    case Action::Next:
      // The mode is not set on this way; the welcome page's Next did not run.
      if (f.existingInstall) return Show(Page::ExistingInstallation);
      return Show(Page::TargetDirectory, Placement::AtCurrentPage, true);
    case Action::Cancel:
      return CloseMain();
    default:
      return {};
  }
}

HandOver FromExistingInstallation(Action a, const FlowFacts& f) {
  switch (a) {
    case Action::Back:
      return BackFromLaterPage(f, /*existingPageIsBehind=*/false);
    case Action::Next: {
      HandOver h = Show(Page::TargetDirectory, Placement::Unchanged);
      h.adjustInstallModeFromChoice = true;
      return h;
    }
    case Action::Cancel:
      return CloseMain(/*closeCurrentFirst=*/true);
    default:
      return {};
  }
}

HandOver FromTargetDirectory(Action a, const FlowFacts& f) {
  switch (a) {
    case Action::Back:
      return BackFromLaterPage(f, /*existingPageIsBehind=*/true);
    case Action::Next: {
      if (f.directoryEditEmpty) return {};
      HandOver h = Show(Page::Installation, Placement::Centred);
      h.appendBackslashToDirectory = true;
      return h;
    }
    case Action::Cancel:
      return CloseMain(/*closeCurrentFirst=*/true);
    default:
      return {};
  }
}

HandOver FromInstallation(Action a) {
  switch (a) {
    case Action::RunFinished:
      return Show(Page::Finished, Placement::AtTargetDirectoryPage);
    case Action::Cancel: {
      HandOver h = CloseMain();
      h.stopArchiveReader = true;
      return h;
    }
    default:
      return {};
  }
}

HandOver FromFinished(Action a) {
  if (a != Action::Next) return {};  // Back is always disabled; there is no Cancel
  HandOver h = CloseMain(/*closeCurrentFirst=*/true);
  h.finishInstallation = true;
  return h;
}

}  // namespace

HandOver DecideHandOver(Page from, Action action, const FlowFacts& facts) {
  switch (from) {
    case Page::Welcome:
      return FromWelcome(action, facts);
    case Page::Information:
      return FromInformation(action, facts);
    case Page::ExistingInstallation:
      return FromExistingInstallation(action, facts);
    case Page::TargetDirectory:
      return FromTargetDirectory(action, facts);
    case Page::Installation:
      return FromInstallation(action);
    case Page::Finished:
      return FromFinished(action);
  }
  return {};
}

}  // namespace pelmora::app
