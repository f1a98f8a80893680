// The extraction library travels inside the setup program as a resource of
// type "DLL" named "UnACE"; start-up writes it beside the program, and the
// end of the program deletes it again, but only when this run wrote it: a
// library that the medium itself carries stays. Windows builds only.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace pelmora::archive {

// The library file could not be written. what() is the complete message for
// the application's error report (which appends the full stop).
class DeploymentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes the program's own resource `resourceName` of type `resourceType`,
// byte for byte, to `fileName` in the folder of the program file, replacing
// any file of that name. Throws DeploymentError when the resource is missing
// or the file cannot be created or completely written; a partly written file
// is removed, since a later start would use any file it finds there.
void SaveResourceToFile(const std::string& fileName, const std::string& resourceName,
                        const std::string& resourceType);

// Writes "UnACE.dll" from the resource unless `setupDir` + "UnACE.dll"
// exists already (that file is then used whatever its content). `setupDir`
// ends with "\". Returns whether it wrote the file. Throws DeploymentError
// as SaveResourceToFile does.
bool DeployExtractionLibrary(const std::string& setupDir);

// Deletes `setupDir` + "UnAce.dll" without looking first. A failure (file
// missing, read-only medium, still loaded) is ignored.
void RemoveExtractionLibrary(const std::string& setupDir) noexcept;

// The library file as this run handles it: deployed once the description's
// version is accepted, removed at Finish and when the main window closes.
// Only a file this run wrote is ever removed, and only once.
class ExtractionLibraryFile {
 public:
  explicit ExtractionLibraryFile(std::string setupDir) : setupDir_(std::move(setupDir)) {}

  // DeployExtractionLibrary for the setup folder; throws as it does.
  void Deploy() { writtenByThisRun_ = DeployExtractionLibrary(setupDir_) || writtenByThisRun_; }
  bool WrittenByThisRun() const { return writtenByThisRun_; }
  // Deletes the file if this run wrote it and has not deleted it yet.
  void Remove() noexcept;

 private:
  std::string setupDir_;
  bool writtenByThisRun_ = false;
};

}  // namespace pelmora::archive
