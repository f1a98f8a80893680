// Which Windows the setup program runs on, reduced to the few facts that
// decide how processes are listed and whether an administrator test makes
// sense. Computing the facts needs Windows (SystemInfo_win.h); judging them
// does not.
#pragma once

#include <cstdint>
#include <string>

namespace pelmora::winrules {

enum class WindowsPlatform { Other, Windows9x, WindowsNT };

struct WindowsVersionFacts {
  WindowsPlatform platform = WindowsPlatform::Other;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::string servicePack;  // as reported, untrimmed
  // Most significant 32 bits of kernel32.dll's fixed product version; 0 when
  // it has no version resource.
  std::uint32_t kernel32ProductVersionMS = 0;
};

// 4.90 in the layout of a fixed version's most significant half: kernel32.dll
// of Windows ME, whose own version numbers may still claim to be Windows 98.
inline constexpr std::uint32_t kWindowsMeKernelVersion = (4u << 16) | 90u;

enum WindowsVersionClass : unsigned {
  kUnrecognisedWindows = 0,
  kWindows95 = 1,
  kWindows95Osr2 = 2,
  kWindows98 = 3,
  kWindows98Se = 4,
  kWindowsMe = 5,
  kWindowsNt3 = 6,
  kWindowsNt4 = 7,
  kWindowsNt5 = 8,
};

unsigned ClassifyWindowsVersion(const WindowsVersionFacts& facts);

// One flag per class 1..8, true only for the class found.
struct WindowsVersionFlags {
  bool windows95 = false;
  bool windows95Osr2 = false;
  bool windows98 = false;
  bool windows98Se = false;
  bool windowsMe = false;
  bool windowsNt3 = false;
  bool windowsNt4 = false;
  bool windowsNt5 = false;
};

WindowsVersionFlags FlagsForVersionClass(unsigned versionClass);

enum class ProcessListMethod { ToolHelp, ProcessStatus };

// NT 3.x and NT 4 have no ToolHelp functions in kernel32; everything else has.
ProcessListMethod ChooseProcessListMethod(unsigned versionClass);

// Whether ToolHelp entries are named by the module path of the process rather
// than by the snapshot's bare executable name. The class table ends at NT 5,
// so later NT versions fall into class 0 and are judged by the major version
// here; otherwise programs started from a sub-folder would never be found.
bool UsesModulePathNames(const WindowsVersionFacts& facts);

// Whether a process's full path is asked of Windows by its image name (NT 6
// and later) before its module list is read. A 32-bit program cannot read
// the module list of a 64-bit process, so on 64-bit Windows only the image
// name finds a running 64-bit program by its folder.
bool AsksProcessImageName(const WindowsVersionFacts& facts);

}  // namespace pelmora::winrules
