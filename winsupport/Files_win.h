// Files as the setup and the uninstaller read and write them. Every call
// that can fail for a reason the caller tells returns the failure with the
// file's path and Windows' code (common/WinFailure.h): nothing when it
// worked, or the value it reads. The calls on a handle the caller opened
// take the path it was opened by, for the failure to name.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/WinFailure.h"
#include "common/WinHandle.h"

namespace pelmora::winsupport {

// A write that stored fewer bytes than it was given: the medium is full.
inline constexpr DWORD kShortWrite = ERROR_HANDLE_DISK_FULL;

// Whether path names a file (not a folder), or a folder.
bool IsExistingFile(const std::string& path);
bool IsExistingFolder(const std::string& path);

// Whether base (a folder, ending in "\\") or a folder between it and path
// is a junction or symbolic link, as the file system says right now: a way
// out of base that an elevated program must not take. path lies below base.
bool PassesThroughLink(const std::string& base, const std::string& path);

// Creates path with every missing parent and returns the folders this call
// created, outermost first. With administrator rights each gets the
// protected access list (FolderSecurity_win.h). A folder that cannot be made is left for the
// caller to notice (it then does not exist).
std::vector<std::string> CreateFolderTree(const std::string& path);

// Reads exactly size bytes from the file's current position; ERROR_HANDLE_EOF
// when it ends first.
std::optional<common::WinFailure> ReadExactly(HANDLE file, const std::string& path, void* buffer,
                                              std::size_t size);

// Writes all size bytes at the file's current position; kShortWrite when a
// write stores fewer than it was given.
std::optional<common::WinFailure> WriteAll(HANDLE file, const std::string& path, const void* bytes,
                                           std::size_t size);

// The file's bytes from its start, at most limit of them: a caller that
// asks for one byte more than it accepts learns that the file is too large
// without reading all of it.
common::WinResult<std::string> ReadFileStart(const std::string& path, std::size_t limit);

// The same from a file the caller holds open, from its current position.
common::WinResult<std::string> ReadUpTo(HANDLE file, const std::string& path, std::size_t limit);

// The file at path open for reading with only readers allowed beside: no
// one can change, replace or delete it while the handle lives (a library
// can still be loaded from it and a program can still read it, which only
// read). A link is never followed: a link or folder is
// ERROR_CANT_ACCESS_FILE; else a failure when it cannot be opened.
common::WinResult<win::UniqueHandle> HoldForReading(const std::string& path);

// Appends bytes to path, creating it when missing; what it held stays.
std::optional<common::WinFailure> AppendToFile(const std::string& path, std::string_view bytes);

}  // namespace pelmora::winsupport
