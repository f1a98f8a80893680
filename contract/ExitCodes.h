// The exit codes of Install.exe and stUnInst.exe, in one table: a script,
// a deployment tool or a package manager acts on them. A code keeps its
// meaning in both programs and in both kinds of run (with windows or
// unattended); numbers are never reused for something else.
#pragma once

namespace pelmora::contract {

enum ExitCode : int {
  // Installed; removed with nothing left.
  kExitDone = 0,
  // Nothing done: a check before any change refused. The setup: the medium
  // is missing or damaged, of another version, or lacks rights it needs.
  // The uninstaller: the protocol is altered or unreadable, a folder on the
  // way is unsafe, no Uninstall entry vouches for it, or the user said No.
  kExitRefused = 1,
  // The uninstaller removed what it could and left items, each with its
  // reason.
  kExitItemsLeft = 2,
  // Out of memory; nothing is half written (common/Allocation.h ends the
  // program with it).
  kExitOutOfMemory = 3,
  // An unknown or malformed switch; nothing was written.
  kExitUsage = 4,
  // The setup refused the target folder.
  kExitTargetRefused = 5,
  // An older version than the installed one, without /DOWNGRADE.
  kExitDowngradeRefused = 6,
  // Cancelled before the installation completed.
  kExitCancelled = 7,
  // The installation failed after it had begun; its protocol is written, so
  // what it installed can be removed with the uninstaller.
  kExitFailedRemovable = 8,
  // The installation failed and left no protocol; what it had made was taken
  // back where it could be.
  kExitFailedNotRemovable = 9,
};

}  // namespace pelmora::contract
