#include "RemoteMemory_win.h"

#include <string>

#include "Outcome.h"

namespace pelmora::uia {

namespace {

[[noreturn]] void Fail(const char* what) {
  throw CommandFailure(kExitImpossible, std::string(what) +
                                            " in the window's process failed (error " +
                                            std::to_string(GetLastError()) + ")");
}

}  // namespace

RemoteMemory::RemoteMemory(HWND window, size_t size) : size_(size) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  process_.Reset(
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
  if (!process_) Fail("OpenProcess");
  address_ =
      VirtualAllocEx(process_.Get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!address_) Fail("VirtualAllocEx");
}

RemoteMemory::~RemoteMemory() { VirtualFreeEx(process_.Get(), address_, 0, MEM_RELEASE); }

void RemoteMemory::Write(size_t offset, const void* data, size_t size) {
  SIZE_T written = 0;
  if (offset + size > size_ ||
      !WriteProcessMemory(process_.Get(), At(offset), data, size, &written) || written != size) {
    Fail("WriteProcessMemory");
  }
}

void RemoteMemory::Read(size_t offset, void* data, size_t size) const {
  SIZE_T read = 0;
  if (offset + size > size_ || !ReadProcessMemory(process_.Get(), At(offset), data, size, &read) ||
      read != size) {
    Fail("ReadProcessMemory");
  }
}

}  // namespace pelmora::uia
