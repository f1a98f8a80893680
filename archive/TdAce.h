// The archive reader component: walks an ACE archive through the extraction
// library and reports every step through events. `List` passes over every
// entry; `Extract` writes the entries named in FilesToProcess (all when it
// is empty) below TargetDirectory.
//
// Each operation loads the library from Path2UnAceDll, opens Archivefilename
// and, on every way out, closes the archive and unloads the library again.
// The library's callbacks carry no context, so only one operation may run
// at a time in the whole process; starting another from inside an event
// handler is refused with kAceOperationRunning.
//
// Failures are reported as codes through OnError and as the result. The
// event handlers must not throw: they are called from inside the library,
// which nothing may unwind through. A handler that wants the walk to end
// sets Stop.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "archive/FileList.h"
#include "unace/UnAceApi.h"

namespace pelmora::archive {

class TdAce;

using TErrorProc = std::function<void(TdAce& sender, int error)>;
using TFileBeingExtracted = std::function<void(TdAce& sender, TACEHeaderData& eFile)>;
using TFileBeingTested = TFileBeingExtracted;
using TFileBeingListed = TFileBeingExtracted;
using TFileExtracted = std::function<void(TdAce& sender, TACEHeaderData& eFile, bool result)>;
using TFileTested = TFileExtracted;
using TFileListed = TFileExtracted;
using TProcessDataProcN =
    std::function<int(TdAce& sender, unsigned char* addr, int blockSize, int position)>;
using TChangeVolProcN = std::function<int(TdAce& sender, char* arcName, int mode)>;
using TReqPassword =
    std::function<void(TdAce& sender, TACEHeaderData& eFile, std::string& password)>;

// Codes of the component's own (the library's are in UnAceApi.h).
inline constexpr int kAceLibraryNotLoaded = -101;  // folder not a full path, file missing,
                                                   // not loadable, export missing
inline constexpr int kAceArchiveNotOpened = 101;   // Extract could not open the archive,
                                                   // or a header read failed
inline constexpr int kAceOperationRunning = -102;  // started from inside another
                                                   // operation's event; nothing done

class TdAce {
 public:
  TdAce() = default;
  TdAce(const TdAce&) = delete;
  TdAce& operator=(const TdAce&) = delete;

  // Path of the archive; for a volume set that of its first volume.
  std::string Archivefilename;
  // An archive stored inside Archivefilename (a setup program that carries
  // it): ArchiveLength bytes from ArchiveOffset, with no further volumes.
  // Zero length: the whole file.
  std::uint64_t ArchiveOffset = 0;
  std::uint64_t ArchiveLength = 0;
  // Folder extracted paths are formed under; Extract appends "\" when the
  // text does not end with one.
  std::string TargetDirectory;
  // Full path of the folder the library file is loaded from. A relative
  // folder ("." included) is refused with kAceLibraryNotLoaded: loading from
  // wherever the program was started would run any file planted there.
  std::string Path2UnAceDll;
  // Stop request: settable at any time, also from an event handler.
  bool Stop = false;

  // Events; each is raised only when assigned. `eFile` is the component's
  // own header record, valid only during the call.
  TErrorProc OnError;
  TFileBeingExtracted OnExtracting;
  TFileExtracted OnExtract;
  TFileBeingTested OnTesting;  // declared for completeness; never raised
  TFileTested OnTest;          // declared for completeness; never raised
  TFileBeingListed OnListing;
  TFileListed OnList;
  TProcessDataProcN OnProcessData;
  TChangeVolProcN OnVolumeChange;
  TReqPassword OnReqPassword;

  // Names of the entries Extract writes; empty means all.
  FileList& FilesToProcess() { return filesToProcess_; }
  const FileList& FilesToProcess() const { return filesToProcess_; }
  // Replaces the list's content by copies of `lines`.
  void SetFilesToProcess(const FileList& lines) { filesToProcess_.Assign(lines.Lines()); }
  void SetFilesToProcess(std::span<const std::string> lines) { filesToProcess_.Assign(lines); }

  // Both return the code the walk ended with: ACE_END_OF_ARCHIVE after the
  // last entry, the library's code after a failed entry, ACE_ERR_ABORTED
  // when stopped, kAceLibraryNotLoaded when the library could not be loaded,
  // kAceArchiveNotOpened (Extract) or the library's code (List) when the
  // archive could not be opened, ACE_ERR_UNSAFE_NAME at an entry whose name
  // could reach outside the target folder (before any other event for that
  // entry, and whether or not Extract would have selected it).
  int List();
  int Extract();

  // Why the last operation could not load the library (empty otherwise).
  const std::string& LibraryLoadError() const { return libraryLoadError_; }
  // The name of the last entry refused as unsafe (ACE_ERR_UNSAFE_NAME), for the error
  // handler's message: the events never see that entry.
  const std::string& RefusedEntryName() const { return refusedName_; }

 private:
  friend struct TdAceWalk;

  FileList filesToProcess_;
  std::int32_t runningPosition_ = 0;  // bytes reported for the current entry
  TACEHeaderData header_{};
  std::string libraryLoadError_;
  std::string refusedName_;
};

}  // namespace pelmora::archive
