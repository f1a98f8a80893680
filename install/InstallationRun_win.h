// The installation run: everything between the target directory page and
// the finished page, in one pass on the user-interface thread. It prepares
// the target directory and the protocol, unpacks the archive through the
// archive reader, registers the product with Windows and appends the
// protocol to the target directory's protocol file.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "archive/TdAce.h"
#include "contract/ExitCodes.h"
#include "contract/Protocol.h"
#include "contract/Seal.h"
#include "install/SealedProtocol_win.h"
#include "install/InstallationPage_win.h"
#include "install/RunErrors.h"
#include "install/TakeBack.h"
#include "pages/PasswordPrompt_win.h"
#include "setupdesc/SetupDescription.h"
#include "setupdesc/SetupMedium_win.h"

namespace pelmora::install {

struct RunSettings {
  setupdesc::SetupDescription& description;
  InstallationPage& page;
  pages::PasswordPrompt& passwordPrompt;
  HWND mainWindow;
  setupdesc::ArchiveLocation firstVolume;  // the archive's first volume
  std::string libraryFolder;               // full path of the folder holding the extraction library
  // The target directory page's edit: read, and written back with its "\".
  std::function<std::string()> readTargetDirectory;
  std::function<void(const std::string&)> writeTargetDirectory;
  // The wizard's Cancel of the installation page: it stops the run (Stop)
  // and closes the main window. The disk prompt's Cancel does the same.
  std::function<void()> cancelInstallation;
  // The archive's password, when it was given beforehand (/PASSWORDFILE=):
  // the prompt is not shown.
  std::optional<std::string> password;
  // Nobody at the screen: no prompt, and a failed extraction ends the run
  // instead of waiting for Cancel.
  bool unattended = false;
};

// What the steps found out about this Windows.
struct WindowsFacts {
  bool windowsKeyFound = false;    // the 9x family's key
  bool windowsNtKeyFound = false;  // the NT family's key
  std::string windowsDir;          // ends in "\"
  std::string profileDir;
};

class InstallationRun {
 public:
  explicit InstallationRun(RunSettings settings) : settings_(std::move(settings)) {}

  // The run. Returns true when it got to its end; false when the user
  // cancelled or the archive held an entry it refused. A failure that ends
  // the run (its words: FailureText) is returned after the page has said
  // that the installation failed and its Cancel button has been made
  // visible so that the user has a way out.
  // Once the extraction has begun, a failure or Cancel still leaves the
  // protocol of what was done, sealed, so that the uninstaller can remove it;
  // where no protocol can be written, the run removes what it created.
  std::variant<bool, RunFailure> Perform();

  // Asks the archive reader to stop and marks the run cancelled; what is
  // unpacked by then is registered and written to the protocol.
  void Stop();

  // What the end of Perform means for whoever started the setup.
  contract::ExitCode ExitCode() const { return exitCode_; }

 private:
  std::variant<bool, RunFailure> Run();
  enum class Unpacked { Done, Refused };
  Unpacked Unpack(const std::string& target, contract::Protocol& protocol);
  void WaitForCancel();
  std::optional<RunFailure> Register(const std::string& target, const WindowsFacts& windows,
                                     contract::Protocol& protocol);
  std::optional<common::WinFailure> WriteProtocol(const std::string& target,
                                                  const contract::Protocol& protocol);

  RunSettings settings_;
  archive::TdAce reader_;
  bool cancelled_ = false;
  bool extractionFailed_ = false;  // the archive reported an error other than its end
  contract::ExitCode exitCode_ = contract::kExitFailedNotRemovable;
  bool settingsFileUnpacked_ = false;
  // Whether what the run unpacked may be imported, copied into the Windows
  // folder and loaded with its own folder searched: the target passed the
  // folder check, or the run has no more rights than the user who could
  // write there. Until the run checks the target's folders, every target
  // counts as trusted, as before.
  bool targetTrusted_ = true;
  std::uint64_t productBytes_ = 0;
  SealingEntries sealing_;  // the Uninstall entries this run wrote
  std::vector<contract::ServerDigest> registeredServers_;
  FoundBeforeRun before_;  // what the run found before it made anything
};

// The Windows directory and profile facts, as the run reads them from the
// registry and the environment.
WindowsFacts ReadWindowsFacts();

}  // namespace pelmora::install
