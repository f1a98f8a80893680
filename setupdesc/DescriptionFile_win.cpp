#include "setupdesc/DescriptionFile.h"

#include <windows.h>

#include "common/IoErrorText.h"
#include "contract/ProductFiles.h"
#include "setupdesc/SetupDescReader.h"
#include "winsupport/Files_win.h"

namespace pelmora::setupdesc {

std::variant<std::optional<std::string>, FileReadError> LoadDescriptionFile(
    const std::string& setupDir) {
  const std::string path = setupDir + contract::kDescriptionFileName;
  if (!winsupport::IsExistingFile(path)) return std::nullopt;
  // One byte more than the reader accepts is enough for it to refuse.
  auto read = winsupport::ReadFileStart(path, kMaxDescriptionBytes + 1);
  if (const DWORD* error = std::get_if<DWORD>(&read))
    return FileReadError{common::IoErrorText(*error) + " (" + path + ")"};
  return std::optional<std::string>(std::move(std::get<std::string>(read)));
}

}  // namespace pelmora::setupdesc
