// The built UnACE.dll: loadable by name, exporting the five functions under
// their plain names, and working through them.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "TestPaths.h"
#include "unace/UnAceApi.h"

namespace {

namespace fs = std::filesystem;

class LoadedLibrary {
 public:
  explicit LoadedLibrary(const std::string& path) : module_(LoadLibraryA(path.c_str())) {}
  ~LoadedLibrary() {
    if (module_) FreeLibrary(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  bool loaded() const { return module_ != nullptr; }
  template <typename Fn>
  Fn get(const char* name) const {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};

TEST(SharedLibrary, ExportsTheFiveFunctionsAndExtracts) {
  LoadedLibrary library(pelmora::test::HostPath(UNACE_LIBRARY_PATH));
  ASSERT_TRUE(library.loaded()) << GetLastError();
  const auto open = library.get<ACEOpenArchiveFn>("ACEOpenArchive");
  const auto close = library.get<ACECloseArchiveFn>("ACECloseArchive");
  const auto readHeader = library.get<ACEReadHeaderFn>("ACEReadHeader");
  const auto process = library.get<ACEProcessFileFn>("ACEProcessFile");
  const auto setPassword = library.get<ACESetPasswordFn>("ACESetPassword");
  ASSERT_TRUE(open && close && readHeader && process && setPassword);

  pelmora::test::ScratchDir dir("unace-dll");
  std::string archive = pelmora::test::AceSample("t.ace");
  TACEOpenData data{};
  data.ArchiveName = archive.data();
  data.OpenMode = ACE_OPEN_EXTRACT;
  const ACEHandle handle = open(&data);
  ASSERT_NE(handle, 0) << data.OpenResult;
  TACEHeaderData header{};
  int code;
  while ((code = readHeader(handle, &header)) == ACE_OK) {
    EXPECT_EQ(setPassword(handle, "unused"), ACE_OK);
    const std::string target = dir.str() + "\\" + header.FileName;
    EXPECT_EQ(process(handle, ACE_EXTRACT, target.c_str()), ACE_OK) << header.FileName;
  }
  EXPECT_EQ(code, ACE_END_OF_ARCHIVE);
  EXPECT_EQ(close(handle), ACE_OK);
  EXPECT_EQ(fs::file_size(dir.path() / "t" / "t.txt"), 2u);
}

}  // namespace
