#include "install/EntrySelection.h"

namespace pelmora::install {

ListingDecision DecideListing(pages::InstallMode mode, std::uint32_t entryDosTime,
                              const ExistingFile& existing) {
  switch (mode) {
    case 1:
    case 2:
    case 3:
    case 5:
      return {existing.exists, true};
    case 0:
    case 4:
    case 6: {
      if (!existing.exists) return {false, true};
      const bool older = existing.dosTime < static_cast<std::int32_t>(entryDosTime);
      return {older, older};
    }
    default:
      return {};
  }
}

bool DeleteBeforeExtracting(pages::InstallMode mode, std::string_view entryName,
                            bool existingFile) {
  const bool completeMode = mode == 1 || mode == 3 || mode == 5;
  return completeMode && existingFile && entryName.find('.') != std::string_view::npos;
}

}  // namespace pelmora::install
