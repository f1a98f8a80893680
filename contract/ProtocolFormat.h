// What the protocol's writer (the setup) and its reader (the uninstaller)
// agree on: the fixed lines that open and close a block and the markers in
// front of each entry.
#pragma once

#include <string_view>

#include "contract/Protocol.h"

namespace pelmora::contract::protocol_format {

inline constexpr std::string_view kBoxEdge = "//////////////////////////////////////////";
inline constexpr std::string_view kBoxTitle = "/ UnInstall protocol file DON'T DELETE!! /";
inline constexpr std::string_view kBoxLines[] = {
    kBoxEdge,
    kBoxTitle,
    "/                                        /",
    "/ If you delete this file, an automatic  /",
    "/ and complete uninstallation of this    /",
    "/ application will get impossible!       /",
    kBoxEdge,
};
inline constexpr std::string_view kDurationPrefix = "/installation duration: ";
inline constexpr std::string_view kLineEnd = "\r\n";

struct Marker {
  LineKind kind;
  std::string_view text;
};
// The two-character markers first: "r0" and "r1" would otherwise never be
// read back.
inline constexpr Marker kMarkers[] = {
    {LineKind::MachineKey, "r0"}, {LineKind::UserKey, "r1"}, {LineKind::Comment, "/"},
    {LineKind::Folder, "0"},      {LineKind::File, "1"},     {LineKind::ComServer, "o"},
    {LineKind::Group, "g"},
};

}  // namespace pelmora::contract::protocol_format
