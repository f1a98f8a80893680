#include <windows.h>

#include <cstring>

#include "winsupport/SystemInfo_win.h"

namespace pelmora::winsupport {
namespace {

std::uint32_t Kernel32ProductVersionMS() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(::GetModuleHandleA("kernel32.dll"), path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 0;
  const auto version = ReadFixedFileVersion(path);
  return version ? version->productMS : 0;
}

WindowsVersionFacts QueryWindowsVersionFacts() {
  WindowsVersionFacts facts;
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (::GetVersionExA(&info)) {
    if (info.dwPlatformId == VER_PLATFORM_WIN32_NT)
      facts.platform = WindowsPlatform::WindowsNT;
    else if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
      facts.platform = WindowsPlatform::Windows9x;
    facts.major = info.dwMajorVersion;
    facts.minor = info.dwMinorVersion;
    facts.servicePack.assign(info.szCSDVersion,
                             strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
  }
  facts.kernel32ProductVersionMS = Kernel32ProductVersionMS();
  return facts;
}

}  // namespace

const WindowsVersionFacts& CurrentWindowsVersionFacts() {
  static const WindowsVersionFacts facts = QueryWindowsVersionFacts();
  return facts;
}

unsigned GetWindowsVersionClass() {
  static const unsigned versionClass =
      winrules::ClassifyWindowsVersion(CurrentWindowsVersionFacts());
  return versionClass;
}

WindowsVersionFlags CurrentWindowsVersionFlags() {
  return winrules::FlagsForVersionClass(GetWindowsVersionClass());
}

}  // namespace pelmora::winsupport
