#include "winrules/WindowsVersion.h"

#include "contract/AnsiText.h"

namespace pelmora::winrules {
namespace {

unsigned ClassifyWindows9x(const WindowsVersionFacts& facts) {
  const std::string servicePack = contract::TrimBlanksAndControls(facts.servicePack);
  if (facts.minor < 10) return servicePack == "B" ? kWindows95Osr2 : kWindows95;
  if (facts.minor < 90) {
    if (facts.kernel32ProductVersionMS == kWindowsMeKernelVersion) return kWindowsMe;
    return servicePack == "A" ? kWindows98Se : kWindows98;
  }
  if (facts.minor == 90) return kWindowsMe;
  return kUnrecognisedWindows;
}

unsigned ClassifyWindowsNt(const WindowsVersionFacts& facts) {
  switch (facts.major) {
    case 3:
      return kWindowsNt3;
    case 4:
      return kWindowsNt4;
    case 5:
      return kWindowsNt5;
    default:
      return kUnrecognisedWindows;
  }
}

}  // namespace

unsigned ClassifyWindowsVersion(const WindowsVersionFacts& facts) {
  switch (facts.platform) {
    case WindowsPlatform::Windows9x:
      return ClassifyWindows9x(facts);
    case WindowsPlatform::WindowsNT:
      return ClassifyWindowsNt(facts);
    case WindowsPlatform::Other:
      break;
  }
  return kUnrecognisedWindows;
}

WindowsVersionFlags FlagsForVersionClass(unsigned versionClass) {
  WindowsVersionFlags flags;
  flags.windows95 = versionClass == kWindows95;
  flags.windows95Osr2 = versionClass == kWindows95Osr2;
  flags.windows98 = versionClass == kWindows98;
  flags.windows98Se = versionClass == kWindows98Se;
  flags.windowsMe = versionClass == kWindowsMe;
  flags.windowsNt3 = versionClass == kWindowsNt3;
  flags.windowsNt4 = versionClass == kWindowsNt4;
  flags.windowsNt5 = versionClass == kWindowsNt5;
  return flags;
}

ProcessListMethod ChooseProcessListMethod(unsigned versionClass) {
  return versionClass == kWindowsNt3 || versionClass == kWindowsNt4
             ? ProcessListMethod::ProcessStatus
             : ProcessListMethod::ToolHelp;
}

bool UsesModulePathNames(const WindowsVersionFacts& facts) {
  return facts.platform == WindowsPlatform::WindowsNT && facts.major >= 5;
}

bool AsksProcessImageName(const WindowsVersionFacts& facts) {
  return facts.platform == WindowsPlatform::WindowsNT && facts.major >= 6;
}

}  // namespace pelmora::winrules
