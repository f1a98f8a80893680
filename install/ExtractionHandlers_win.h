// The installation page's answers to the archive reader's events: which
// entries the extract pass unpacks and which files on disk make way for
// them, one protocol line per entry, the progress bar, the disk and password
// prompts, and the error messages.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

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
};

// The entry's name: FileName up to its first zero byte.
std::string EntryName(const TACEHeaderData& entry);

}  // namespace pelmora::install
