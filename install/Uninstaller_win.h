// Moving the uninstaller out of the archive's files into the Windows
// directory, where every installation of this setup program keeps it.
#pragma once

#include <string>

#include "install/BlockCopy.h"
#include "install/RegistrationSteps.h"

namespace pelmora::install {

// When targetDir holds the uninstaller: copies it in blocks to windowsDir
// (both end in "\"), then deletes it from targetDir. The copy there is
// shared by every product of this setup program: it is replaced only by
// one of the same or a newer file version (winrules::ReplacesSharedCopy);
// an older one is dropped, which is no failure. The source is used only
// when targetTrusted (the target passed the folder check, or the run has no
// more rights than the user who could write there; else ERROR_ACCESS_DENIED
// naming it), never through a link, and is held against writers from the
// first byte read until the copy has taken its place. progress hears of
// every block, before the first and after the last; the run moves its bar
// there and lets window messages through. The copy is made beside the old
// uninstaller first, so a copy that fails leaves the old one in place,
// keeps the file in targetDir and puts no broken program in the Windows
// directory; the failure names the file and carries Windows' code
// (kShortWrite for a write that stored less). Without a file in targetDir
// nothing happens.
void MoveUninstaller(const std::string& targetDir, const std::string& windowsDir,
                     bool targetTrusted, const CopyProgress& progress, StepReport& report);

}  // namespace pelmora::install
