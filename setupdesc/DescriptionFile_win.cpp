#include "setupdesc/DescriptionFile.h"

#include <windows.h>

#include "common/IoErrorText.h"
#include "contract/ProductFiles.h"
#include "setupdesc/SetupDescReader.h"
#include "winsupport/Files_win.h"

namespace pelmora::setupdesc {

common::WinResult<std::optional<std::string>> LoadDescriptionFile(const std::string& setupDir) {
  const std::string path = setupDir + contract::kDescriptionFileName;
  if (!winsupport::IsExistingFile(path)) return std::nullopt;
  // One byte more than the reader accepts is enough for it to refuse.
  auto read = winsupport::ReadFileStart(path, kMaxDescriptionBytes + 1);
  if (auto* failure = std::get_if<common::WinFailure>(&read)) return std::move(*failure);
  return std::optional<std::string>(std::move(std::get<std::string>(read)));
}

std::string DescriptionReadFailureText(const common::WinFailure& failure) {
  return common::IoErrorText(failure.code) + " (" + failure.what + ")";
}

}  // namespace pelmora::setupdesc
