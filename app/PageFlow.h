// The way through the wizard: which page a button leads to, and what else
// the hand-over does. Plain logic, so every row can be checked without
// windows; the pages carry out the HandOver they are given.
#pragma once

namespace pelmora::app {

enum class Page {
  Welcome,
  Information,
  ExistingInstallation,
  TargetDirectory,
  Installation,
  Finished
};

enum class Action {
  Next,
  Back,
  Cancel,
  RunFinished,  // the installation page's run is done
};

// What the decision depends on, read from the pages at the moment of the click.
struct FlowFacts {
  bool informationFirstLineNotEmpty = false;
  bool existingInstall = false;
  bool directoryEditEmpty = false;
};

enum class Placement {
  AtCurrentPage,          // the next page takes the current page's left and top
  Unchanged,              // shown where it is
  Centred,                // the installation page
  AtTargetDirectoryPage,  // the finished page, after the run
};

struct HandOver {
  enum class Kind { Nothing, ShowPage, CloseMainWindow };
  Kind kind = Kind::Nothing;
  Page target = Page::Welcome;
  Placement placement = Placement::AtCurrentPage;
  bool focusTargetNext = false;
  bool setInstallModeAwaitingChoice = false;  // welcome -> existing installation
  bool adjustInstallModeFromChoice = false;   // existing installation's Next
  bool appendBackslashToDirectory = false;    // target directory's Next
  bool closeCurrentPageFirst = false;         // Cancel on some pages, Finish
  bool stopArchiveReader = false;             // Cancel during the run
  // Finish: remove the extraction library, start the program if the box is
  // ticked, and mark the installation completed before the main window closes.
  bool finishInstallation = false;
};

HandOver DecideHandOver(Page from, Action action, const FlowFacts& facts);

}  // namespace pelmora::app
