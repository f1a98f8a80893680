// The names of the files the packer puts on a medium, the setup program
// reads there and leaves on the computer, and the uninstaller finds again.
// Each is spelt here once; the setup description (install.pmd) repeats none
// of them.
#pragma once

namespace pelmora::contract {

// The medium: the setup program, its description and the archive's first
// volume (further volumes count on: DATA.c01, DATA.c02, ...).
inline constexpr const char* kSetupProgramName = "Install.exe";
inline constexpr const char* kDescriptionFileName = "install.pmd";
inline constexpr const char* kFirstVolumeName = "DATA.c00";
// Volumes are numbered .c00 to .c99: the setup looks no further.
inline constexpr int kMostVolumes = 100;

// The uninstaller: carried by the archive into the target folder, moved by
// the setup into the Windows folder, where every product shares one copy.
inline constexpr const char* kUninstallerFileName = "stUnInst.exe";

// The protocol in the target folder. The setup appends to "UnInstall.Log"
// and lists the file in it as "UnInstall.log": the same file on Windows'
// case-insensitive file system, and both spellings are what installed
// products already carry.
inline constexpr const char* kProtocolFileName = "UnInstall.Log";
inline constexpr const char* kProtocolLineName = "UnInstall.log";

// A file of the archive that the setup imports into the registry once it
// is unpacked, then deletes.
inline constexpr const char* kRegistrySettingsFileName = "registry.reg";

}  // namespace pelmora::contract
