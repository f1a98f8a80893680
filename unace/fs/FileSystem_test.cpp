// Failures of the file system layer say which folder could not be made and
// why, with the error of the call that failed.
#if defined(_WIN32)
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TestPaths.h"
#include "unace/fs/FileSystem.h"

namespace {

namespace fs = std::filesystem;
using pelmora::unace::fs::FsResult;

// Whether `text` names `folder` itself, not just a path below it.
bool NamesFolder(const std::string& text, const std::string& folder) {
  for (std::size_t at = text.find(folder); at != std::string::npos;
       at = text.find(folder, at + 1)) {
    const std::size_t end = at + folder.size();
    if (end == text.size() || (text[end] != '\\' && text[end] != '/')) return true;
  }
  return false;
}

#if defined(_WIN32)
// What the failing call itself reports for `folder`; a test in between (is
// it there? is it a folder?) would report something else.
std::string CreationError(const std::string& folder) {
  EXPECT_FALSE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
  return "Windows error " + std::to_string(GetLastError());
}
#endif

TEST(FileSystem, AFolderThatCannotBeMadeIsNamedWithItsOwnError) {
  pelmora::test::ScratchDir dir("unace-fs");
  const fs::path inTheWay = dir.Path() / "file.txt";
  std::ofstream(inTheWay) << "a file where a folder is needed";
  const std::string target = (inTheWay / "sub" / "x").string();

  std::string why;
  EXPECT_EQ(pelmora::unace::fs::MakeDirectory(target, 0, why), FsResult::Failed);
  EXPECT_TRUE(NamesFolder(why, inTheWay.string())) << why;
  std::string sinkWhy;
  EXPECT_EQ(pelmora::unace::fs::CreateFileSink(target + "/y.bin", sinkWhy), nullptr);
  EXPECT_TRUE(NamesFolder(sinkWhy, inTheWay.string())) << sinkWhy;
#if defined(_WIN32)
  EXPECT_NE(why.find(CreationError(inTheWay.string())), std::string::npos) << why;
  EXPECT_NE(sinkWhy.find(CreationError(inTheWay.string())), std::string::npos) << sinkWhy;

  // Server and share of a UNC path are not folders to make: the trouble is
  // reported for the folder below them.
  const std::string unc = "\\\\no-such-server\\share\\folder";
  why.clear();
  EXPECT_EQ(pelmora::unace::fs::MakeDirectory(unc, 0, why), FsResult::Failed);
  EXPECT_EQ(why, "cannot create folder " + unc + ": " + CreationError(unc));
#endif
}

}  // namespace
