// Failures of the file system layer say which folder could not be made
// (FileSystem_win_test.cpp: and with the error of the call that failed).
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

TEST(FileSystem, AFolderThatCannotBeMadeIsNamed) {
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
}

}  // namespace
