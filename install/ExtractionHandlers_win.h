// The installation page's answers to the archive reader's events: which
// entries the extract pass unpacks and which files on disk make way for
// them, one protocol line per entry, the progress bar, the disk and password
// prompts, and the error messages.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "archive/TdAce.h"
#include "install/InstallationPage_win.h"
#include "install/Progress.h"
#include "contract/Protocol.h"
#include "pages/PasswordPrompt_win.h"
#include "winsupport/MessageLoop_win.h"

namespace pelmora::install {

struct ExtractionContext {
  InstallationPage& page;
  pages::PasswordPrompt& passwordPrompt;
  HWND mainWindow;
  contract::Protocol& protocol;
  std::string targetDirectory;  // ends in "\"
  bool english = false;
  // What the disk prompt's Cancel does: what the page's Cancel does (stop
  // the archive reader and close the main window).
  std::function<void()> cancel;
  // Given beforehand: the password prompt is not shown.
  std::optional<std::string> password;
  // Nobody at the screen: no prompt; an archive without a given password
  // gets none.
  bool unattended = false;
};

class ExtractionHandlers {
 public:
  explicit ExtractionHandlers(ExtractionContext context) : context_(std::move(context)) {}
  ExtractionHandlers(const ExtractionHandlers&) = delete;
  ExtractionHandlers& operator=(const ExtractionHandlers&) = delete;

  // Binds the six events of `ace` to this object, which must outlive the
  // binding; Detach ends it.
  void Attach(archive::TdAce& ace);
  static void Detach(archive::TdAce& ace);

  // Whether the extract pass unpacked the settings file at the target's top.
  bool SettingsFileUnpacked() const { return settingsFileUnpacked_; }
  // The unpacked size of every entry of the archive: the product's size.
  std::uint64_t ProductBytes() const { return progress_.ListedBytes(); }
  // Windows' reason for the entry that could not be written or replaced
  // (the thread's last error as the library left it), 0 when none failed.
  std::uint32_t WriteFailureCode() const { return writeFailureCode_; }
  // The target paths of the entries the list pass found on disk already:
  // the run did not create them.
  const std::vector<std::string>& PathsFoundBefore() const { return foundBefore_; }

 private:
  void Listing(archive::TdAce& ace, const TACEHeaderData& entry);
  void Extracting(archive::TdAce& ace, const TACEHeaderData& entry);
  void ProcessData(int blockSize);
  int VolumeChange(archive::TdAce& ace, const char* volumeName, int mode);
  void RequestPassword(const TACEHeaderData& entry, std::string& password);
  void Error(const archive::TdAce& ace, int code);
  std::string TargetPath(const TACEHeaderData& entry) const;

  ExtractionContext context_;
  ExtractProgress progress_;
  int shownPercent_ = -1;
  winsupport::Pacer statusPace_;
  winsupport::Pacer pumpPace_;
  bool settingsFileUnpacked_ = false;
  std::uint32_t writeFailureCode_ = 0;
  std::vector<std::string> foundBefore_;
};

// The list pass, then the extract pass, unless the list pass met an entry
// it refused or `stopped` says the user gave up during it (Cancel at the
// disk prompt: the reader forgets its stop request when a walk ends, so it
// must not be asked to walk again). The code of the last pass run.
int ListThenExtract(archive::TdAce& reader, const std::function<bool()>& stopped);

// The entry's name: FileName up to its first zero byte.
std::string EntryName(const TACEHeaderData& entry);

}  // namespace pelmora::install
