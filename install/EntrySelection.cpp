#include "install/EntrySelection.h"

namespace pelmora::install {

using contract::InstallMode;

ListingDecision DecideListing(InstallMode mode, std::uint32_t entryDosTime,
                              const ExistingFile& existing) {
  switch (mode) {
    case InstallMode::CompleteUpdate:
    case InstallMode::Downgrade:
    case InstallMode::CompleteDowngrade:
    case InstallMode::CompleteRepair:
      return {existing.exists, true};
    case InstallMode::Update:
    case InstallMode::Repair:
    case InstallMode::AwaitingChoice: {
      if (!existing.exists) return {false, true};
      const bool older = existing.dosTime < static_cast<std::int32_t>(entryDosTime);
      return {older, older};
    }
  }
  return {};
}

bool DeleteBeforeExtracting(InstallMode mode, std::string_view entryName, bool existingFile) {
  const bool completeMode = mode == InstallMode::CompleteUpdate ||
                            mode == InstallMode::CompleteDowngrade ||
                            mode == InstallMode::CompleteRepair;
  return completeMode && existingFile && entryName.find('.') != std::string_view::npos;
}

}  // namespace pelmora::install
