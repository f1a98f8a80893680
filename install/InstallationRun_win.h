// The installation run: everything between the target directory page and
// the finished page, in one pass on the user-interface thread. It prepares
// the target directory and the protocol, unpacks the archive through the
// archive reader, registers the product with Windows and appends the
// protocol to "UnInstall.Log".
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "archive/TdAce.h"
#include "install/InstallationPage_win.h"
#include "pages/PasswordPrompt_win.h"
#include "setupdesc/SetupDescription.h"

namespace pelmora::install {

struct RunSettings {
  setupdesc::SetupDescription& description;
  InstallationPage& page;
  pages::PasswordPrompt& passwordPrompt;
  HWND mainWindow;
  std::string setupDir;       // where DATA.c00 stands, ends in "\"
  std::string libraryFolder;  // full path of the folder holding UnACE.dll
  // The target directory page's edit: read, and written back with its "\".
  std::function<std::string()> readTargetDirectory;
  std::function<void(const std::string&)> writeTargetDirectory;
  // The page's Cancel: the run has set the reader's stop request already.
  std::function<void()> closeMainWindow;
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
  // cancelled. A failure that ends the run throws with the German text the
  // error report shows, after the page's Cancel button has been made
  // visible so that the user has a way out.
  bool Perform();

  // The page's Cancel button.
  void Cancel();

 private:
  bool Unpack(const std::string& target, class Protocol& protocol);
  void Register(const std::string& target, const WindowsFacts& windows, Protocol& protocol);

  RunSettings settings_;
  archive::TdAce reader_;
  bool cancelled_ = false;
};

// The Windows directory and profile facts, as the run reads them from the
// registry and the environment.
WindowsFacts ReadWindowsFacts();

}  // namespace pelmora::install
