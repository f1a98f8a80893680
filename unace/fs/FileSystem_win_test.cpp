// On Windows a failure carries the error of the call that failed: a test in
// between (is it there? is it a folder?) would report something else.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TestPaths.h"
#include "unace/fs/FileSystem.h"

namespace {

namespace fs = std::filesystem;
using pelmora::unace::fs::FsResult;

// What the failing call itself reports for `folder`.
std::string CreationError(const std::string& folder) {
  EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
  return "Windows error " + std::to_string(GetLastError());
}

TEST(FileSystem, AFolderThatCannotBeMadeComesWithItsOwnError) {
  pelmora::test::ScratchDir dir("unace-fs");
  const fs::path inTheWay = dir.Path() / "file.txt";
  std::ofstream(inTheWay) << "a file where a folder is needed";
  const std::string target = (inTheWay / "sub" / "x").string();

  std::string why;
  EXPECT_EQ(pelmora::unace::fs::MakeDirectory(target, 0, why), FsResult::Failed);
  EXPECT_NE(why.find(CreationError(inTheWay.string())), std::string::npos) << why;
  std::string sinkWhy;
  EXPECT_EQ(pelmora::unace::fs::CreateFileSink(target + "/y.bin", sinkWhy), nullptr);
  EXPECT_NE(sinkWhy.find(CreationError(inTheWay.string())), std::string::npos) << sinkWhy;
}

// Server and share of a UNC path are not folders to make: the trouble is
// reported for the folder below them.
TEST(FileSystem, AnUnreachableUncFolderIsNamedBelowItsShare) {
  const std::string unc = "\\\\no-such-server\\share\\folder";
  std::string why;
  EXPECT_EQ(pelmora::unace::fs::MakeDirectory(unc, 0, why), FsResult::Failed);
  EXPECT_EQ(why, "cannot create folder " + unc + ": " + CreationError(unc));
}

}  // namespace
