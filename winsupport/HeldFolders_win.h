// Deleting a file or folder through handles instead of paths. A folder on
// the way that every user may write could be renamed and replaced by a
// junction or symbolic link between a check and the deletion, so a check by
// path proves nothing about the deletion that follows. Here every folder
// from a start folder down to the item is opened relative to the handle of
// the one above it, never through a link, looked at, and kept open without
// delete sharing until the item is gone: while held, none of them can be
// renamed, deleted or swapped. The item itself is opened relative to its
// folder's handle and deleted through that handle. Windows only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "common/WinFailure.h"

namespace pelmora::winsupport {

// The failure code when a folder on the way (the start folder too) is a
// junction or symbolic link, or its attributes cannot be read, or when the
// item's handle reached past a link instead of opening the link itself:
// nothing is deleted then.
inline constexpr DWORD kReachedThroughLink = ERROR_CANT_ACCESS_FILE;

// What may be deleted; an item of another kind stays (ERROR_DIRECTORY). A
// folder goes only when empty (ERROR_DIR_NOT_EMPTY when it is not).
enum class HeldItem {
  File,          // a file or a link in its place
  Folder,        // a folder or a link in its place
  FileOrFolder,  // either
};

// What was deleted: a folder (a link to one counts as a folder) or a file.
enum class Deleted { File, Folder };

// Called with the item's path once every folder above it is held and just
// before the item is opened: the moment at which tests try to rename or
// swap the held folders.
using WhileHeld = std::function<void(const std::string& path)>;

// Deletes path, which lies below start (a folder ending in "\\": a drive
// root, or a folder the caller made or checked itself). The start folder is
// opened by its name, everything below it relative to a held handle. A
// link in the item's own place is deleted as the link, never what it points
// to. Missing: ERROR_FILE_NOT_FOUND, or ERROR_PATH_NOT_FOUND for a folder on
// the way; a read-only file loses that attribute first; a file in use stays
// with Windows' code (ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED); a name
// "." or ".." on the way, or a path not below start: ERROR_BAD_PATHNAME.
common::WinResult<Deleted> DeleteHeld(const std::string& start, const std::string& path,
                                      HeldItem item, const WhileHeld& whileHeld = {});

// "C:\\" for a path "C:\\..."; empty for any other path, which DeleteHeld
// then refuses.
std::string DriveRootOf(const std::string& path);

}  // namespace pelmora::winsupport
