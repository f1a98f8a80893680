// The built libunace.so: loadable, exporting the five functions by their
// plain names, and working through them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "TestPaths.h"
#include "unace/UnAceApi.h"

namespace {

namespace fs = std::filesystem;

class LoadedLibrary {
 public:
  explicit LoadedLibrary(const char* path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {}
  ~LoadedLibrary() {
    if (handle_) dlclose(handle_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  bool loaded() const { return handle_ != nullptr; }
  template <typename Fn>
  Fn get(const char* name) const {
    return reinterpret_cast<Fn>(dlsym(handle_, name));
  }

 private:
  void* handle_;
};

TEST(SharedLibrary, ExportsTheFiveFunctionsAndExtracts) {
  LoadedLibrary library(UNACE_LIBRARY_PATH);
  ASSERT_TRUE(library.loaded()) << dlerror();
  const auto open = library.get<ACEOpenArchiveFn>("ACEOpenArchive");
  const auto close = library.get<ACECloseArchiveFn>("ACECloseArchive");
  const auto readHeader = library.get<ACEReadHeaderFn>("ACEReadHeader");
  const auto process = library.get<ACEProcessFileFn>("ACEProcessFile");
  const auto setPassword = library.get<ACESetPasswordFn>("ACESetPassword");
  ASSERT_TRUE(open && close && readHeader && process && setPassword);
  // Nothing else of the library's insides is visible.
  EXPECT_EQ(library.get<void*>("_ZN5unace6format10AceCrc32OfESt4spanIKhLm18446744073709551615EE"), nullptr);

  pelmora::test::ScratchDir dir("unace-so");
  std::string archive = pelmora::test::AceSample("t.ace");
  TACEOpenData data{};
  data.ArchiveName = archive.data();
  data.OpenMode = ACE_OPEN_EXTRACT;
  const ACEHandle handle = open(&data);
  ASSERT_NE(handle, 0);
  TACEHeaderData header{};
  int code;
  while ((code = readHeader(handle, &header)) == ACE_OK) {
    EXPECT_EQ(setPassword(handle, "unused"), ACE_OK);
    const std::string target = dir.str() + "/" + header.FileName;
    EXPECT_EQ(process(handle, ACE_EXTRACT, target.c_str()), ACE_OK) << header.FileName;
  }
  EXPECT_EQ(code, ACE_END_OF_ARCHIVE);
  EXPECT_EQ(close(handle), ACE_OK);
  EXPECT_EQ(fs::file_size(dir.path() / "t" / "t.txt"), 2u);
}

}  // namespace
