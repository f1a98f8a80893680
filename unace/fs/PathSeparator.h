// The separator the platform's own paths are joined with: a backslash on
// Windows (PathSeparator_win.cpp), a slash elsewhere (PathSeparator_posix.cpp).
// A file of its own, so that a program joining paths does not link the
// file system layer with it.
#pragma once

namespace pelmora::unace::fs {

extern const char kPathSeparator;

}  // namespace pelmora::unace::fs
