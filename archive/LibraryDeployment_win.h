// The extraction library travels inside the setup program, packed
// (common/Packing.h), as a resource of type "DLL" named "UnACE".
// Start-up puts it where the archive component can
// load it by a full path, and the end of the program removes what this run
// wrote. A file found beside the program is trusted only when its bytes are
// those of the embedded library: anyone able to drop a file beside a
// downloaded setup would otherwise get it run, often with administrator
// rights. Windows builds only.
#pragma once

#include <optional>
#include <string>

#include "common/WinFailure.h"
#include "common/WinHandle.h"

namespace pelmora::archive {

// The words of a deployment's failure for the application's error report
// (which appends the full stop): "Ressource <name> wurde nicht gefunden" or
// "... ist beschädigt" for the embedded library, "Datei <path> kann nicht
// erstellt werden" for its file.
std::string DeploymentFailureText(const common::WinFailure& failure);

// Writes the program's own packed resource `resourceName` of type
// `resourceType`, unpacked, to `fileName` in the folder of the program file,
// replacing any file of that name. A failure naming the resource when it is
// missing or damaged, or naming the file when it cannot be created or
// completely written; a partly written file is removed.
std::optional<common::WinFailure> SaveResourceToFile(const std::string& fileName,
                                                     const std::string& resourceName,
                                                     const std::string& resourceType);

// Deletes the library's file (kUnAceLibraryName) in `setupDir` without
// looking first. A failure (file missing, read-only medium, still loaded)
// is ignored.
void RemoveExtractionLibrary(const std::string& setupDir) noexcept;

// Where a run found or put the library.
enum class LibraryPlacement {
  kNone,                   // not deployed (yet), or removed
  kCarriedBesideProgram,   // the medium's own copy, equal to the embedded one: stays
  kWrittenBesideProgram,   // written by this run beside the program: deleted at the end
  kWrittenToPrivateFolder  // written into a fresh folder of this run under the
                           // user's temporary folder: file and folder deleted at the end
};

// The library file as this run handles it: deployed once the description's
// version is accepted, loaded by the archive component from LibraryFolder(),
// removed at Finish and when the main window closes. While deployed, the
// file is held open so that nobody can change or replace it between the
// check of its bytes and the end of the run; loading it is still possible.
class ExtractionLibraryFile {
 public:
  // `programFolder`: the folder of the setup program, a full path ending
  // with "\".
  explicit ExtractionLibraryFile(std::string programFolder);
  ExtractionLibraryFile(const ExtractionLibraryFile&) = delete;
  ExtractionLibraryFile& operator=(const ExtractionLibraryFile&) = delete;

  // Uses "UnACE.dll" beside the program when its bytes equal the embedded
  // library; writes it there when no such file exists; otherwise (another
  // file there, or the folder cannot be written) writes it into a new
  // private folder under the user's temporary folder. A failure naming the
  // resource UnACE when it is missing or damaged or, when even the private
  // folder fails, the file <programFolder>UnACE.dll, with the last attempt's
  // code. Does nothing once deployed.
  std::optional<common::WinFailure> Deploy();

  LibraryPlacement Placement() const { return placement_; }
  bool WrittenByThisRun() const {
    return placement_ == LibraryPlacement::kWrittenBesideProgram ||
           placement_ == LibraryPlacement::kWrittenToPrivateFolder;
  }
  // Full path of the folder to load the library from, ending with "\"
  // (the archive component's Path2UnAceDll); empty while not deployed.
  const std::string& LibraryFolder() const { return folder_; }
  // Full path of the library file; empty while not deployed.
  std::string LibraryPath() const;

  // Lets the file go; deletes it if this run wrote it, and the private
  // folder too. Only the first call after Deploy does anything. Failures
  // (library still loaded, read-only medium) are ignored.
  void Remove() noexcept;

 private:
  std::string programFolder_;
  std::string folder_;
  LibraryPlacement placement_ = LibraryPlacement::kNone;
  win::UniqueHandle guard_;  // the file, open for reading, shared for reading only
};

}  // namespace pelmora::archive
