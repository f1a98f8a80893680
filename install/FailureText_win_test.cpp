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

// The status line after a failure names the cause Windows gave, in both
// languages; any other failure keeps the plain status, and so does a COM
// server, whose code is its own.
TEST(FailedStatus, NamesTheCauseWindowsGave) {
  EXPECT_EQ(FailedStatus(ERROR_DISK_FULL, true), "The installation failed: the drive is full.");
  EXPECT_EQ(FailedStatus(ERROR_HANDLE_DISK_FULL, false),
            "Die Installation ist fehlgeschlagen: das Laufwerk ist voll.");
  EXPECT_EQ(FailedStatus(ERROR_ACCESS_DENIED, false),
            "Die Installation ist fehlgeschlagen: der Zugriff wurde verweigert.");
  EXPECT_EQ(FailedStatus(ERROR_SHARING_VIOLATION, true),
            "The installation failed: a file is in use by another program.");
  EXPECT_EQ(FailedStatus(ERROR_LOCK_VIOLATION, false),
            "Die Installation ist fehlgeschlagen: eine Datei wird von einem anderen Programm "
            "benutzt.");
  EXPECT_EQ(FailedStatus(0, true), "The installation failed.");
  EXPECT_EQ(FailedStatus(ERROR_PATH_NOT_FOUND, false), "Die Installation ist fehlgeschlagen.");

  EXPECT_EQ(
      FailedStatus(RunFailure(common::WinFailure{Subject::Value, "x", ERROR_ACCESS_DENIED}), true),
      "The installation failed: access was denied.");
  EXPECT_EQ(
      FailedStatus(RunFailure(common::WinFailure{Subject::Server, "x", ERROR_DISK_FULL}), true),
      "The installation failed.");
  EXPECT_EQ(FailedStatus(RunFailure(contract::Refusal(contract::Reason::DriveRoot)), false),
            "Die Installation ist fehlgeschlagen.");
}

}  // namespace
}  // namespace pelmora::install
