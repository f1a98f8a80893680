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

namespace pelmora::archive {
namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Payload() { return ReadBytes(pelmora::test::HostPath(DEPLOYMENT_PAYLOAD_FILE)); }

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
  WriteBytes(file, std::string(5000, 'x'));  // replaced, not merged
  SaveResourceToFile("saved-resource.bin", "unace", "dll");  // names compare without case
  EXPECT_EQ(ReadBytes(file), Payload());
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
  DeployExtractionLibrary(programFolder);
  EXPECT_EQ(ReadBytes(library), Payload());
}

TEST_F(LibraryDeployment, DeployUsesAnExistingFileUnchanged) {
  WriteBytes(library, "an older library");
  DeployExtractionLibrary(programFolder);
  EXPECT_EQ(ReadBytes(library), "an older library");
}

TEST_F(LibraryDeployment, DeployLooksInTheSetupFolderButWritesBesideTheProgram) {
  pelmora::test::ScratchDir setup("deploy");
  const std::string setupDir = setup.str() + "\\";
  WriteBytes(setupDir + "unace.DLL", "present elsewhere");
  DeployExtractionLibrary(setupDir);
  EXPECT_FALSE(Exists(library));

  DeleteFileA((setupDir + "unace.DLL").c_str());
  DeployExtractionLibrary(setupDir);
  EXPECT_EQ(ReadBytes(library), Payload());
}

TEST_F(LibraryDeployment, RemovalDeletesWhateverSpellingWasWritten) {
  DeployExtractionLibrary(programFolder);
  ASSERT_TRUE(Exists(library));
  RemoveExtractionLibrary(programFolder);
  EXPECT_FALSE(Exists(library));

  DeployExtractionLibrary(programFolder);
  RemoveExtractionLibraryIfPresent(programFolder);
  EXPECT_FALSE(Exists(library));
}

TEST_F(LibraryDeployment, RemovalFailuresAreIgnored) {
  // Nothing there.
  RemoveExtractionLibrary(programFolder);
  RemoveExtractionLibraryIfPresent(programFolder);
  EXPECT_FALSE(Exists(library));

  // A file that cannot be deleted stays, quietly.
  WriteBytes(library, "read-only medium");
  ASSERT_TRUE(SetFileAttributesA(library.c_str(), FILE_ATTRIBUTE_READONLY));
  RemoveExtractionLibrary(programFolder);
  RemoveExtractionLibraryIfPresent(programFolder);
  EXPECT_EQ(ReadBytes(library), "read-only medium");
}

}  // namespace
}  // namespace pelmora::archive
