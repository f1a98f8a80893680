// Writing and removing the extraction library file, from a test program
// that carries a resource of type "DLL" named "UnACE".
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "TestPaths.h"
#include "archive/LibraryDeployment.h"
#include "common/ProgramPath.h"
#include "TestFiles.h"

namespace pelmora::archive {
namespace {

using pelmora::test::ReadText;
using pelmora::test::WriteText;

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Payload() { return ReadText(pelmora::test::HostPath(DEPLOYMENT_PAYLOAD_FILE)); }

class LibraryDeployment : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_GT(Payload().size(), 256u) << "test payload missing";
    RemoveLibraryFile();
  }
  void TearDown() override { RemoveLibraryFile(); }

  void RemoveLibraryFile() {
    SetFileAttributesA(library.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(library.c_str());
  }

  const std::string programFolder = win::OwnProgramFolder();
  const std::string library = programFolder + "UnACE.dll";
};

TEST_F(LibraryDeployment, SaveResourceToFileCopiesTheResourceBesideTheProgram) {
  const std::string file = programFolder + "saved-resource.bin";
  WriteText(file, std::string(5000, 'x'));                   // replaced, not merged
  SaveResourceToFile("saved-resource.bin", "unace", "dll");  // names compare without case
  EXPECT_EQ(ReadText(file), Payload());
  DeleteFileA(file.c_str());
}

TEST_F(LibraryDeployment, MissingResourceNamesTheResource) {
  try {
    SaveResourceToFile("never-written.bin", "NoSuchThing", "DLL");
    FAIL() << "no error";
  } catch (const DeploymentError& error) {
    EXPECT_STREQ(error.what(), "Ressource NoSuchThing wurde nicht gefunden");
  }
  EXPECT_FALSE(Exists(programFolder + "never-written.bin"));
}

TEST_F(LibraryDeployment, UncreatableFileNamesTheFullPath) {
  try {
    SaveResourceToFile("no-such-folder\\UnACE.dll", "UnACE", "DLL");
    FAIL() << "no error";
  } catch (const DeploymentError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Datei " + programFolder + "no-such-folder\\UnACE.dll kann nicht erstellt werden");
  }
}

TEST_F(LibraryDeployment, DeployWritesTheLibraryWhenNoneIsThere) {
  EXPECT_TRUE(DeployExtractionLibrary(programFolder));
  EXPECT_EQ(ReadText(library), Payload());
}

TEST_F(LibraryDeployment, DeployUsesAnExistingFileUnchanged) {
  WriteText(library, "an older library");
  EXPECT_FALSE(DeployExtractionLibrary(programFolder));
  EXPECT_EQ(ReadText(library), "an older library");
}

TEST_F(LibraryDeployment, DeployLooksInTheSetupFolderButWritesBesideTheProgram) {
  pelmora::test::ScratchDir setup("deploy");
  const std::string setupDir = setup.Str() + "\\";
  WriteText(setupDir + "unace.DLL", "present elsewhere");
  DeployExtractionLibrary(setupDir);
  EXPECT_FALSE(Exists(library));

  DeleteFileA((setupDir + "unace.DLL").c_str());
  EXPECT_TRUE(DeployExtractionLibrary(setupDir));
  EXPECT_EQ(ReadText(library), Payload());
}

TEST_F(LibraryDeployment, RemovalDeletesWhateverSpellingWasWritten) {
  DeployExtractionLibrary(programFolder);
  ASSERT_TRUE(Exists(library));
  RemoveExtractionLibrary(programFolder);
  EXPECT_FALSE(Exists(library));
}

TEST_F(LibraryDeployment, RemovalFailuresAreIgnored) {
  // Nothing there.
  RemoveExtractionLibrary(programFolder);
  EXPECT_FALSE(Exists(library));

  // A file that cannot be deleted stays, quietly.
  WriteText(library, "read-only medium");
  ASSERT_TRUE(SetFileAttributesA(library.c_str(), FILE_ATTRIBUTE_READONLY));
  RemoveExtractionLibrary(programFolder);
  EXPECT_EQ(ReadText(library), "read-only medium");
}

TEST_F(LibraryDeployment, ARunRemovesOnlyTheFileItWroteAndOnlyOnce) {
  // The medium carries its own library: used, and left where it was.
  WriteText(library, "the medium's own library");
  ExtractionLibraryFile onMedium(programFolder);
  onMedium.Deploy();
  EXPECT_FALSE(onMedium.WrittenByThisRun());
  onMedium.Remove();
  EXPECT_EQ(ReadText(library), "the medium's own library");

  // Written by this run: Finish removes it; closing the window afterwards
  // leaves alone whatever has been put there since.
  RemoveLibraryFile();
  ExtractionLibraryFile written(programFolder);
  written.Deploy();
  EXPECT_TRUE(written.WrittenByThisRun());
  EXPECT_EQ(ReadText(library), Payload());
  written.Remove();
  EXPECT_FALSE(Exists(library));
  WriteText(library, "put there later");
  written.Remove();
  EXPECT_EQ(ReadText(library), "put there later");

  // Never deployed (install.pmd missing or of another version): nothing to remove.
  ExtractionLibraryFile untouched(programFolder);
  untouched.Remove();
  EXPECT_EQ(ReadText(library), "put there later");
}

}  // namespace
}  // namespace pelmora::archive
