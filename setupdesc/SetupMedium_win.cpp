#include "setupdesc/SetupMedium_win.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "contract/CarriedData.h"
#include "contract/ProductFiles.h"
#include "setupdesc/DescriptionFile.h"
#include "setupdesc/SetupDescReader.h"
#include "winsupport/Files_win.h"

namespace pelmora::setupdesc {

namespace {

constexpr auto kFile = common::WinFailure::Subject::File;
constexpr std::size_t kDigestPiece = 64 * 1024;

std::optional<common::WinFailure> SeekTo(HANDLE file, const std::string& path,
                                         std::uint64_t offset) {
  LONG high = static_cast<LONG>(offset >> 32);
  SetLastError(NO_ERROR);
  const DWORD low =
      ::SetFilePointer(file, static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
  if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR)
    return common::Failed(kFile, path, ::GetLastError());
  return std::nullopt;
}

common::WinResult<std::vector<std::uint8_t>> ReadAt(HANDLE file, const std::string& path,
                                                    std::uint64_t offset, std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  if (auto failure = SeekTo(file, path, offset)) return std::move(*failure);
  if (auto failure = winsupport::ReadExactly(file, path, bytes.data(), bytes.size()))
    return std::move(*failure);
  return bytes;
}

SetupMedium FolderMedium(const std::string& setupDir) {
  SetupMedium medium;
  medium.firstVolume.path = setupDir + contract::kFirstVolumeName;
  return medium;
}

SetupMedium Damaged() {
  SetupMedium medium;
  medium.kind = MediumKind::DamagedCarriedData;
  return medium;
}

}  // namespace

common::WinResult<SetupMedium> LoadSetupMedium(const std::string& programPath,
                                               const std::string& setupDir) {
  // Opened as the loader opened it, a link followed; only readers beside.
  win::UniqueHandle file(::CreateFileA(programPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return common::FailedAs<SetupMedium>(kFile, programPath, ::GetLastError());
  DWORD sizeHigh = 0;
  SetLastError(NO_ERROR);
  const DWORD sizeLow = ::GetFileSize(file.Get(), &sizeHigh);
  if (sizeLow == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR)
    return common::FailedAs<SetupMedium>(kFile, programPath, ::GetLastError());
  const std::uint64_t size = std::uint64_t{sizeHigh} << 32 | sizeLow;

  auto headers =
      ReadAt(file.Get(), programPath, 0,
             static_cast<std::size_t>(std::min<std::uint64_t>(size, contract::kPeHeaderBytes)));
  if (auto* failure = std::get_if<common::WinFailure>(&headers)) return std::move(*failure);
  // The running program's headers are sound; no overlay then means a
  // certificate table that does not close the file: a cut signed setup.
  const std::optional<contract::Overlay> overlay =
      contract::FindOverlay(std::get<std::vector<std::uint8_t>>(headers), size);
  if (!overlay) return Damaged();
  const std::size_t tailBytes = contract::CarriedTailBytes(*overlay);
  auto tail = ReadAt(file.Get(), programPath, overlay->end - tailBytes, tailBytes);
  if (auto* failure = std::get_if<common::WinFailure>(&tail)) return std::move(*failure);
  const auto found = contract::ReadCarriedTrailer(
      *overlay, std::get<std::vector<std::uint8_t>>(tail), kMaxDescriptionBytes);
  if (const auto* none = std::get_if<contract::NoCarriedData>(&found)) {
    if (*none == contract::NoCarriedData::Damaged) return Damaged();
    SetupMedium medium = FolderMedium(setupDir);
    auto description = LoadDescriptionFile(setupDir);
    if (auto* failure = std::get_if<common::WinFailure>(&description)) return std::move(*failure);
    medium.description = std::move(std::get<std::optional<std::string>>(description));
    return medium;
  }

  // Everything the digest covers is read once, in pieces; the description
  // is kept from those very bytes.
  const contract::CarriedLayout& layout = std::get<contract::CarriedLayout>(found);
  if (auto failure = SeekTo(file.Get(), programPath, layout.descriptionOffset))
    return std::move(*failure);
  contract::Sha256 digest;
  std::string description;
  description.reserve(static_cast<std::size_t>(layout.descriptionLength));
  std::vector<char> piece(kDigestPiece);
  for (std::uint64_t at = layout.descriptionOffset; at < layout.digestOffset;) {
    const auto count =
        static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), layout.digestOffset - at));
    if (auto failure = winsupport::ReadExactly(file.Get(), programPath, piece.data(), count))
      return std::move(*failure);
    const std::string_view bytes(piece.data(), count);
    digest.Add(bytes);
    const std::uint64_t descriptionEnd = layout.descriptionOffset + layout.descriptionLength;
    if (at < descriptionEnd)
      description.append(bytes.substr(
          0, static_cast<std::size_t>(std::min<std::uint64_t>(count, descriptionEnd - at))));
    at += count;
  }
  if (digest.Finish() != layout.digest) return Damaged();

  SetupMedium medium;
  medium.kind = MediumKind::Carried;
  medium.description = std::move(description);
  medium.firstVolume = {programPath, layout.archiveOffset, layout.archiveLength};
  medium.held = std::move(file);
  return medium;
}

}  // namespace pelmora::setupdesc
