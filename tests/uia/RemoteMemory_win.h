// A block of memory inside another process. Messages at or above WM_USER
// carry pointers that Windows does not copy between processes (the folder
// dialog's BFFM_SETSELECTIONA, the tree view's TVM_GETITEMA): what they
// point to must lie in the receiving process.
#pragma once

#include <windows.h>

#include <cstddef>

#include "common/WinHandle.h"

namespace pelmora::uia {

class RemoteMemory {
 public:
  // Memory in the process that owns `window`; throws CommandFailure on failure.
  RemoteMemory(HWND window, size_t size);
  ~RemoteMemory();
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  void* Address() const { return address_; }
  // Address of a byte inside the block, as the other process sees it.
  void* At(size_t offset) const { return static_cast<char*>(address_) + offset; }
  void Write(size_t offset, const void* data, size_t size);
  void Read(size_t offset, void* data, size_t size) const;

 private:
  win::UniqueHandle process_;
  void* address_ = nullptr;
  size_t size_;
};

}  // namespace pelmora::uia
