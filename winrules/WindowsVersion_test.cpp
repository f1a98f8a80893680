#include "winrules/WindowsVersion.h"

#include <gtest/gtest.h>

namespace pelmora::winrules {
namespace {

WindowsVersionFacts Win9x(std::uint32_t minor, std::string servicePack = "",
                          std::uint32_t kernel32 = 0) {
  return {WindowsPlatform::Windows9x, 4, minor, std::move(servicePack), kernel32};
}

WindowsVersionFacts Nt(std::uint32_t major, std::uint32_t minor = 0) {
  return {WindowsPlatform::WindowsNT, major, minor, "Service Pack 1", 0};
}

TEST(WindowsVersionClass, Windows95FamilyIsToldApartByTrimmedServicePackB) {
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(0)), kWindows95);
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(9, "A")), kWindows95);
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(0, "b")), kWindows95);
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(0, "B")), kWindows95Osr2);
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(9, " B ")), kWindows95Osr2);
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(0, "\tB\r\n")), kWindows95Osr2);
}

TEST(WindowsVersionClass, Windows98FamilyIsToldApartByTrimmedServicePackA) {
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(10)), kWindows98);
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(89, "B")), kWindows98);
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(10, " A ")), kWindows98Se);
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(89, "A")), kWindows98Se);
}

TEST(WindowsVersionClass, WindowsMeByKernelVersionOrMinorNinety) {
  EXPECT_EQ(kWindowsMeKernelVersion, 262234u);
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(10, "", kWindowsMeKernelVersion)), kWindowsMe);
  // The kernel version outranks the service-pack letter of Windows 98 SE.
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(50, "A", kWindowsMeKernelVersion)), kWindowsMe);
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(90)), kWindowsMe);
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(90, "A", 0)), kWindowsMe);
  // A kernel of 4.91 is no Windows ME.
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(10, "", kWindowsMeKernelVersion + 1)), kWindows98);
}

TEST(WindowsVersionClass, UnknownWindows9xMinorVersionsAreUnrecognised) {
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(91)), kUnrecognisedWindows);
  EXPECT_EQ(ClassifyWindowsVersion(Win9x(255, "", kWindowsMeKernelVersion)), kUnrecognisedWindows);
}

TEST(WindowsVersionClass, NtFamilyByMajorVersion) {
  EXPECT_EQ(ClassifyWindowsVersion(Nt(3, 51)), kWindowsNt3);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(4)), kWindowsNt4);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(5, 0)), kWindowsNt5);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(5, 2)), kWindowsNt5);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(6, 1)), kUnrecognisedWindows);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(10)), kUnrecognisedWindows);
  EXPECT_EQ(ClassifyWindowsVersion(Nt(2)), kUnrecognisedWindows);
}

TEST(WindowsVersionClass, OtherPlatformsAreUnrecognisedWhateverTheirNumbers) {
  WindowsVersionFacts win32s{WindowsPlatform::Other, 4, 10, "A", kWindowsMeKernelVersion};
  EXPECT_EQ(ClassifyWindowsVersion(win32s), kUnrecognisedWindows);
  win32s.major = 5;
  EXPECT_EQ(ClassifyWindowsVersion(win32s), kUnrecognisedWindows);
}

bool FlagOf(const WindowsVersionFlags& flags, unsigned versionClass) {
  const bool all[] = {
      false,           flags.windows95,  flags.windows95Osr2, flags.windows98, flags.windows98Se,
      flags.windowsMe, flags.windowsNt3, flags.windowsNt4,    flags.windowsNt5};
  return all[versionClass];
}

TEST(WindowsVersionFlags, ExactlyTheFlagOfTheClassIsSet) {
  for (unsigned found = 0; found <= 8; ++found) {
    const WindowsVersionFlags flags = FlagsForVersionClass(found);
    for (unsigned other = 1; other <= 8; ++other)
      EXPECT_EQ(FlagOf(flags, other), other == found) << "class " << found << ", flag " << other;
  }
}

TEST(WindowsVersionFlags, ClassesOutsideTheTableSetNoFlag) {
  const WindowsVersionFlags flags = FlagsForVersionClass(9);
  for (unsigned other = 1; other <= 8; ++other) EXPECT_FALSE(FlagOf(flags, other));
}

TEST(ProcessListMethod, OnlyNt3AndNt4UseTheProcessStatusInterface) {
  for (unsigned c = 0; c <= 8; ++c) {
    const bool processStatus = c == kWindowsNt3 || c == kWindowsNt4;
    EXPECT_EQ(ChooseProcessListMethod(c),
              processStatus ? ProcessListMethod::ProcessStatus : ProcessListMethod::ToolHelp)
        << "class " << c;
  }
}

TEST(ModulePathNames, EveryNtFromVersionFiveOnButNeither9xNorOlderNt) {
  EXPECT_TRUE(UsesModulePathNames(Nt(5, 0)));
  EXPECT_TRUE(UsesModulePathNames(Nt(5, 1)));
  EXPECT_TRUE(UsesModulePathNames(Nt(6, 0)));
  EXPECT_TRUE(UsesModulePathNames(Nt(10, 0)));
  EXPECT_FALSE(UsesModulePathNames(Nt(4)));
  EXPECT_FALSE(UsesModulePathNames(Nt(3, 51)));
  EXPECT_FALSE(UsesModulePathNames(Win9x(90)));
  EXPECT_FALSE(UsesModulePathNames({WindowsPlatform::Windows9x, 5, 0, "", 0}));
  EXPECT_FALSE(UsesModulePathNames({WindowsPlatform::Other, 6, 0, "", 0}));
}

}  // namespace
}  // namespace pelmora::winrules
