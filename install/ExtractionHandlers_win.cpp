#include "install/ExtractionHandlers_win.h"

#include <cstring>

#include "contract/AnsiText.h"
#include "contract/ProductFiles.h"
#include "install/EntrySelection.h"
#include "install/RunTexts.h"
#include "winsupport/ErrorReport_win.h"
#include "winsupport/Files_win.h"
#include "winsupport/HeldFolders_win.h"
#include "winsupport/MessageLoop_win.h"

namespace pelmora::install {

namespace {

// A file (not a folder) at `path`, with its last-write time as a DOS
// date-time in local time.
ExistingFile LookAt(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return {};
  FILETIME local;
  WORD date = 0, time = 0;
  FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
  FileTimeToDosDateTime(&local, &date, &time);
  return {true, static_cast<std::int32_t>((static_cast<std::uint32_t>(date) << 16) | time)};
}

}  // namespace

std::string EntryName(const TACEHeaderData& entry) {
  return std::string(entry.FileName, strnlen(entry.FileName, sizeof entry.FileName));
}

std::string ExtractionHandlers::TargetPath(const TACEHeaderData& entry) const {
  return context_.targetDirectory + EntryName(entry);
}

void ExtractionHandlers::Attach(archive::TdAce& ace) {
  ace.OnListing = [this](archive::TdAce& a, TACEHeaderData& e) { Listing(a, e); };
  ace.OnExtracting = [this](archive::TdAce& a, TACEHeaderData& e) { Extracting(a, e); };
  ace.OnExtract = [this](archive::TdAce&, TACEHeaderData& e, bool unpacked) {
    winsupport::ReportLog().Line((unpacked ? "written \"" : "not written \"") + TargetPath(e) +
                                 "\"");
    if (unpacked &&
        contract::EqualsIgnoreCaseAnsi(EntryName(e), contract::kRegistrySettingsFileName))
      settingsFileUnpacked_ = true;
  };
  ace.OnProcessData = [this](archive::TdAce&, unsigned char*, int blockSize, int) {
    ProcessData(blockSize);
    return 1;
  };
  ace.OnVolumeChange = [this](archive::TdAce& a, char* name, int mode) {
    return VolumeChange(a, name, mode);
  };
  ace.OnReqPassword = [this](archive::TdAce&, TACEHeaderData& e, std::string& password) {
    RequestPassword(e, password);
  };
  ace.OnError = [this](archive::TdAce& a, int code) { Error(a, code); };
}

void ExtractionHandlers::Detach(archive::TdAce& ace) {
  ace.OnListing = nullptr;
  ace.OnExtracting = nullptr;
  ace.OnExtract = nullptr;
  ace.OnProcessData = nullptr;
  ace.OnVolumeChange = nullptr;
  ace.OnReqPassword = nullptr;
  ace.OnError = nullptr;
}

void ExtractionHandlers::Listing(archive::TdAce& ace, const TACEHeaderData& entry) {
  const std::string path = TargetPath(entry);
  // Nothing is deleted through a junction or link in the target: what lies
  // behind it is not the product's (the extract pass then stops there).
  const bool throughLink = winsupport::PassesThroughLink(context_.targetDirectory, path);
  // Looked at before anything here changes it: a run that must take back
  // what it made leaves what it found (install/TakeBack.h).
  if (!throughLink && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
    foundBefore_.push_back(path);
  const ListingDecision decision = DecideListing(context_.page.Mode(), entry.FileTime,
                                                 throughLink ? ExistingFile{} : LookAt(path));
  // A failure is not reported; nothing is deleted through a link.
  if (decision.deleteExisting)
    winsupport::DeleteHeld(context_.targetDirectory, path, winsupport::HeldItem::File);
  if (decision.select) ace.FilesToProcess().Add(EntryName(entry));
  progress_.CountListed(entry.UnpSize, decision.select);
}

void ExtractionHandlers::Extracting(archive::TdAce& ace, const TACEHeaderData& entry) {
  const std::string path = TargetPath(entry);
  const std::string name = EntryName(entry);
  // The target may be writable by every user: a folder in it swapped for a
  // junction or symbolic link would lead this program's writes elsewhere.
  // Checked right before the entry is written; nothing goes through it.
  if (winsupport::PassesThroughLink(context_.targetDirectory, path)) {
    ace.Stop = true;
    winsupport::ShowPlainMessage(ThroughLinkText(path, context_.english));
    context_.page.ShowCancel();
    return;
  }
  // Passed over by the selection (the archive component unpacks every entry
  // when none is selected): the file there is as new as the entry or newer.
  const archive::FileList& selected = ace.FilesToProcess();
  if (!selected.Empty() && !selected.Contains(name))
    winsupport::ReportLog().Line("kept \"" + path + "\": not older than the archive's");
  // The name on the page at the pace the eye can follow, not per entry.
  if (statusPace_.Due()) context_.page.SetStatus(path);
  // Looked at only where a file found there would make way.
  if (DeleteBeforeExtracting(context_.page.Mode(), name, true) && LookAt(path).exists)
    winsupport::DeleteHeld(context_.targetDirectory, path, winsupport::HeldItem::File);
  context_.protocol.AddEntry(context_.targetDirectory, name);
  // A name the protocol cannot hold as one line: nothing more is unpacked.
  if (context_.protocol.Refused()) ace.Stop = true;
}

void ExtractionHandlers::ProcessData(int blockSize) {
  progress_.AddUnpacked(blockSize);
  // The bar is told only when it moves.
  const int percent = progress_.Percent();
  if (percent != shownPercent_) {
    context_.page.SetProgress(percent);
    shownPercent_ = percent;
  }
  // The page repaints and Cancel can be pressed during a long entry; a few
  // dozen times a second is enough for both.
  if (pumpPace_.Due()) winsupport::PumpWaitingMessages();
}

int ExtractionHandlers::VolumeChange(archive::TdAce& ace, const char* volumeName, int mode) {
  if (mode == ACE_VOLUME_FOUND) {
    context_.page.SetStatus(kVolumeFoundStatus);
    return 0;
  }
  if (mode != ACE_VOLUME_MISSING) return 0;
  // Cancel beside OK: a user without the next disk can give up, which ends
  // the installation as the page's Cancel does.
  const int answer =
      winsupport::TellUser(context_.page.Handle(), std::string(kDiskPromptText) + volumeName,
                           kDiskPromptCaption, MB_OKCANCEL);
  if (answer == IDCANCEL) {
    ace.Stop = true;
    if (context_.cancel) context_.cancel();
    return 1;
  }
  context_.page.SetStatus(kWaitingForDiskStatus);
  return 0;
}

void ExtractionHandlers::RequestPassword(const TACEHeaderData& entry, std::string& password) {
  if (context_.password || context_.unattended) {
    password = context_.password.value_or("");
    return;
  }
  password = context_.passwordPrompt.Ask(context_.mainWindow);
  // The next request names the entry (its name without the first character).
  const std::string name = EntryName(entry);
  context_.passwordPrompt.SetCaption(name.empty() ? name : name.substr(1));
}

void ExtractionHandlers::Error(const archive::TdAce& ace, int code) {
  // First: the library leaves Windows' reason for a failed write as the
  // thread's last error, and nothing since has called Windows.
  const DWORD systemError = GetLastError();
  if (code == ACE_ERR_WRITE || code == ACE_ERR_EXISTS) writeFailureCode_ = systemError;
  switch (code) {
    case ACE_END_OF_ARCHIVE:
      break;
    case ACE_ERR_EXISTS:
      winsupport::ShowPlainMessage(kFileExistsText);
      break;
    case ACE_ERR_FORMAT:
      winsupport::ShowPlainMessage(kWrongFormatText);
      break;
    case ACE_ERR_UNSAFE_NAME:
      // The walk ends at such a name; the run installs nothing more.
      winsupport::ShowPlainMessage(UnsafeEntryText(ace.RefusedEntryName(), context_.english));
      break;
    default:
      winsupport::TellUser(context_.page.Handle(), ArchiveErrorText(code), kArchiveErrorCaption,
                           MB_OK);
      break;
  }
  context_.page.ShowCancel();
}

int ListThenExtract(archive::TdAce& reader, const std::function<bool()>& stopped) {
  const int listed = reader.List();
  if (listed == ACE_ERR_UNSAFE_NAME || stopped()) return listed;
  return reader.Extract();
}

}  // namespace pelmora::install
