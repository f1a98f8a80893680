// Control ids of the wizard's windows. The three wizard buttons share their
// ids on every page; Escape and Enter reach no page as IDCANCEL or IDOK, so
// a stray key never cancels the setup.
#pragma once

namespace pelmora::pages::ids {

enum : int {
  // Every page
  kNext = 100,
  kBack,
  kCancel,
  kTitle,
  kImage,
  kSeparator,
  kWhitePanel,

  // Welcome page
  kAppName = 200,
  kInfo1,
  kInfo2,
  kProductLabel,
  kTerminateInfo,
  kAbout,
  kHiddenDirectory,

  // Information page
  kInfoMemo = 300,

  // Target directory page
  kExplainNext = 400,
  kExplainBrowse,
  kExplainCancel,
  kDirectoryFrame,
  kDirectoryLabel,
  kDirectory,
  kBrowse,

  // Existing installation page
  kSituation = 500,
  kChoices,
  kFirstChoice,
  kSecondChoice,

  // Finished page
  kFinishedText = 600,
  kFinishHint,
  kRunNow,

  // Password prompt
  kPasswordText = 700,
  kPassword,
  kPasswordOk,

  // Installation page
  kInstallInfo = 800,
  kProgress,
  kUnusedText,
  kProtocolList,
  kStatus,
  kBoxImage,
  kArrowImage,
  kPcImage,
  kInstallCancel,

  // About box
  kAboutPanel = 900,
  kAboutLogo,
  kAboutName,
  kAboutVersion,
  kAboutNotice,
  kAboutMailText,
  kAboutMail,
  kAboutOk,
};

}  // namespace pelmora::pages::ids
