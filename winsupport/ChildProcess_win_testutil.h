// Helper programs started by the tests. A started child is terminated and
// waited for when its owner goes out of scope, so a failing test leaves no
// process behind.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

#include "TestPaths.h"
#include "common/WinHandle.h"

namespace pelmora::winsupport::test {

inline std::string ClosingProgram() { return pelmora::test::HostPath(PELMORA_TESTPROG_CLOSING); }
inline std::string SlowClosingProgram() {
  return pelmora::test::HostPath(PELMORA_TESTPROG_SLOW_CLOSING);
}
inline std::string StubbornProgram() { return pelmora::test::HostPath(PELMORA_TESTPROG_STUBBORN); }
inline std::string VersionedProgram() {
  return pelmora::test::HostPath(PELMORA_TESTPROG_VERSIONED);
}

// Copies a helper program to target (creating its folders) and returns target.
inline std::filesystem::path CopyProgram(const std::string& program,
                                         const std::filesystem::path& target) {
  std::filesystem::create_directories(target.parent_path());
  std::filesystem::copy_file(program, target, std::filesystem::copy_options::overwrite_existing);
  return target;
}

class ChildProcess {
 public:
  // A suspended child has not run its loader yet, so its module list cannot
  // be read from outside, as a 64-bit process's cannot from a 32-bit one.
  enum class Start { Running, Suspended };

  explicit ChildProcess(const std::filesystem::path& program, Start start = Start::Running) {
    std::string commandLine = "\"" + program.string() + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const DWORD flags = start == Start::Suspended ? CREATE_SUSPENDED : 0;
    if (!::CreateProcessA(program.string().c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          flags, nullptr, nullptr, &startup, &info))
      throw std::runtime_error("cannot start " + program.string() + ": error " +
                               std::to_string(::GetLastError()));
    process_.Reset(info.hProcess);
    thread_.Reset(info.hThread);
    id_ = info.dwProcessId;
  }
  ~ChildProcess() {
    if (!HasEnded(0)) {
      ::TerminateProcess(process_.Get(), 99);
      ::WaitForSingleObject(process_.Get(), 10000);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  DWORD Id() const { return id_; }
  bool HasEnded(DWORD timeoutMs) const {
    return ::WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
  }
  DWORD ExitCode() const {
    DWORD code = 0;
    ::GetExitCodeProcess(process_.Get(), &code);
    return code;
  }

  // True once the program has created its window and so can be asked to close.
  bool WaitForWindow(std::chrono::milliseconds limit = std::chrono::seconds(20)) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      HWND window = nullptr;
      while ((window = ::FindWindowExA(nullptr, window, "PelmoraTestWindow", nullptr)) != nullptr) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == id_) return true;
      }
      if (HasEnded(0)) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

 private:
  win::UniqueHandle process_;
  win::UniqueHandle thread_;
  DWORD id_ = 0;
};

}  // namespace pelmora::winsupport::test
