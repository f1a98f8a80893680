#include "install/FailureText_win.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace pelmora::install {
namespace {

using Subject = common::WinFailure::Subject;

// What the user reads when the run ends or a server is not registered: the
// run-time library's German words, with Windows' code where they show one
// (a full disk is the run time's disk write error), the refusals as the
// target page and the protocol word them.
TEST(FailureText, EachFailureInTheWordsTheUserReads) {
  EXPECT_EQ(FailureText({Subject::File, "C:\\Windows\\stUnInst.new", ERROR_ACCESS_DENIED}),
            "E/A-Fehler 5");
  EXPECT_EQ(FailureText({Subject::File, "C:\\Tool\\UnInstall.log", ERROR_HANDLE_DISK_FULL}),
            "E/A-Fehler 101");
  EXPECT_EQ(FailureText({Subject::Key, "Software\\Firma\\Tool", ERROR_ACCESS_DENIED}),
            "Erzeugung von Schl\xFCssel Software\\Firma\\Tool mi\xDFlungen");
  EXPECT_EQ(FailureText({Subject::Value, "DisplayName", ERROR_ACCESS_DENIED}),
            "Fehler beim Setzen der Daten f\xFCr 'DisplayName'");
  EXPECT_EQ(FailureText({Subject::Server, "C:\\Tool\\a.ocx", ERROR_MOD_NOT_FOUND}),
            "Failed to register C:\\Tool\\a.ocx");

  EXPECT_EQ(FailureText(RunFailure(common::WinFailure{Subject::File, "x", 3}), true),
            "E/A-Fehler 3");
  EXPECT_EQ(FailureText(RunFailure(contract::Refusal(contract::Reason::DriveRoot)), true),
            "The product cannot be installed into the root of a drive. Please choose a folder.");
  const contract::Refusal split(contract::Reason::SplitsLine, "protocol line \"1...\" holds a NUL");
  EXPECT_EQ(FailureText(RunFailure(split), false), split.detail);
}

}  // namespace
}  // namespace pelmora::install
