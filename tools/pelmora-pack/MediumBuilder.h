// pelmora-pack build: from a manifest and a payload folder to a finished
// setup folder (Install.exe, install.pmd, DATA.c00 and further volumes), or
// to a folder holding one setup file that carries the description and a
// one-volume archive (contract/CarriedData.h). Everything is checked before
// the first file is written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "acewriter/ProgressMeter.h"
#include "tools/pelmora-pack/CodeSigning.h"

namespace pelmora::pack {

struct BuildRequest {
  std::filesystem::path manifest;
  std::filesystem::path payload;
  std::filesystem::path out;
  std::filesystem::path installExe;  // the setup program the medium carries
  std::string installExeOrigin;      // added to a message about it: where the path came from
  // The uninstaller the archive carries as "stUnInst.exe", unless the
  // manifest says `uninstaller = no` or the payload brings its own.
  std::filesystem::path uninstallerExe;
  std::string uninstallerOrigin;
  bool uninstallerNamed = false;  // by --uninstaller rather than by default
  std::optional<SigningRequest> signing;
  // SOURCE_DATE_EPOCH: the medium's date; unset: its newest payload file's.
  std::optional<std::int64_t> sourceDateEpoch;
  // One setup file ([product] setup-file) instead of the folder medium.
  bool singleFile = false;
  // With singleFile: the address the file will be downloaded from; the
  // installer manifest for Windows' package manager is written beside it.
  std::string wingetUrl;
};

struct BuildReport {
  std::string setupVersion;  // line 1 of install.pmd
  std::string product;       // the product's name and version, as messages show text
  std::vector<std::string> volumes;
  std::size_t files = 0;  // the added uninstaller included
  std::uint64_t bytes = 0;
  std::uint64_t archiveBytes = 0;  // all volumes together
  std::string setupFile;           // the one file's name; empty for a folder medium
  std::string wingetManifest;      // its package manager's manifest's name, if written
};

// The name of the package manager's manifest written beside `setupFile`:
// "Setup.exe" gives "Setup.installer.yaml".
std::string WingetManifestName(const std::string& setupFile);

// Every reason the medium cannot be built, one message each. `usage`: the
// request itself asks for what cannot be (one file of several volumes).
struct BuildRefused : std::runtime_error {
  explicit BuildRefused(std::vector<std::string> reasons, bool usage = false);
  std::vector<std::string> reasons;
  bool usage = false;
};

// Throws BuildRefused before writing anything, or std::runtime_error when
// writing, signing or checking a signature fails; then the files this run
// wrote are removed again. The bytes packed are counted on `progress`.
//
// The medium depends on its input alone: the archive (and the signatures)
// are dated by the request's SOURCE_DATE_EPOCH, else by the newest payload
// file, and members come in a fixed order (acewriter/FolderArchiver.h).
BuildReport BuildMedium(const BuildRequest& request, acewriter::ProgressMeter& progress);

}  // namespace pelmora::pack
