#include "contract/Protocol.h"

#include <stdexcept>

#include "contract/ProductFiles.h"

namespace pelmora::contract {
namespace {

constexpr std::string_view kBoxEdge = "//////////////////////////////////////////";
constexpr std::string_view kBoxTitle = "/ UnInstall protocol file DON'T DELETE!! /";
constexpr std::string_view kBoxLines[] = {
    kBoxEdge,
    kBoxTitle,
    "/                                        /",
    "/ If you delete this file, an automatic  /",
    "/ and complete uninstallation of this    /",
    "/ application will get impossible!       /",
    kBoxEdge,
};
constexpr std::string_view kDurationPrefix = "/installation duration: ";
constexpr std::string_view kLineEnd = "\r\n";

struct Marker {
  LineKind kind;
  std::string_view text;
};
// The two-character markers first: "r0" and "r1" would otherwise never be
// read back.
constexpr Marker kMarkers[] = {
    {LineKind::MachineKey, "r0"}, {LineKind::UserKey, "r1"}, {LineKind::Comment, "/"},
    {LineKind::Folder, "0"},      {LineKind::File, "1"},     {LineKind::ComServer, "o"},
    {LineKind::Group, "g"},
};

std::string_view MarkerOf(LineKind kind) {
  for (const Marker& marker : kMarkers)
    if (marker.kind == kind) return marker.text;
  return {};
}

// A line break or NUL would split the text into lines the uninstaller reads
// as entries of their own.
void RequireSingleLine(std::string_view marker, std::string_view text) {
  if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
    throw std::invalid_argument("protocol line \"" + std::string(marker) +
                                "...\" holds a line break or NUL: " + std::string(text));
}

}  // namespace

void Protocol::Add(LineKind kind, std::string_view text) {
  const std::string_view marker = MarkerOf(kind);
  RequireSingleLine(marker, text);
  std::string line(marker);
  line += text;
  lines_.push_back(std::move(line));
}

// The fixed comment lines below carry their marker in their text.
void Protocol::AddComment(std::string_view line) {
  RequireSingleLine(MarkerOf(LineKind::Comment), line);
  lines_.emplace_back(line);
}

void Protocol::AddHeader(std::string_view targetDirectory, std::string_view date,
                         std::string_view time) {
  // Checked before the box goes in, so that a refused header adds nothing.
  RequireSingleLine("/Date: ", date);
  RequireSingleLine("/Date: ", time);
  RequireSingleLine(MarkerOf(LineKind::Folder), targetDirectory);
  for (std::string_view line : kBoxLines) lines_.emplace_back(line);
  AddComment("/Date: " + std::string(date) + " - Time: " + std::string(time));
  AddFolder(targetDirectory);
  AddFile(std::string(targetDirectory) + kProtocolLineName);
}

void Protocol::AddEntry(std::string_view targetDirectory, std::string_view entryName) {
  const std::string path = std::string(targetDirectory) + std::string(entryName);
  if (entryName.find('.') != std::string_view::npos)
    AddFile(path);
  else
    AddFolder(path);
}

void Protocol::AddTrailer(std::string_view setupVersion, std::string_view duration) {
  RequireSingleLine("/File created by ", setupVersion);
  RequireSingleLine(kDurationPrefix, duration);
  AddComment("/end of installation");
  AddComment("/File created by Pelmora " + std::string(setupVersion));
  AddComment(std::string(kDurationPrefix) + std::string(duration));
}

std::string Protocol::Bytes() const {
  std::string bytes;
  for (const std::string& line : lines_) {
    bytes += line;
    bytes += kLineEnd;
  }
  return bytes;
}

TimeOfDay ElapsedAsTimeOfDay(std::chrono::milliseconds elapsed) {
  using namespace std::chrono;
  if (elapsed.count() < 0) return {};
  const long long secondsOfDay = duration_cast<seconds>(elapsed).count() % (24 * 60 * 60);
  return {static_cast<int>(secondsOfDay / 3600), static_cast<int>(secondsOfDay / 60 % 60),
          static_cast<int>(secondsOfDay % 60)};
}

ProtocolLine ParseProtocolLine(std::string_view line) {
  for (const Marker& m : kMarkers)
    if (line.starts_with(m.text)) return {m.kind, std::string(line.substr(m.text.size()))};
  return {LineKind::Unknown, std::string(line)};
}

std::vector<ProtocolBlock> SplitProtocol(std::string_view fileBytes) {
  std::vector<std::string> lines;
  while (!fileBytes.empty()) {
    std::size_t end = fileBytes.find('\n');
    std::string_view line = fileBytes.substr(0, end);
    fileBytes.remove_prefix(end == std::string_view::npos ? fileBytes.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.emplace_back(line);
  }

  std::vector<ProtocolBlock> blocks;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool boxStarts =
        lines[i] == kBoxEdge && i + 1 < lines.size() && lines[i + 1] == kBoxTitle;
    if (boxStarts || blocks.empty()) blocks.emplace_back();
    blocks.back().lines.push_back(std::move(lines[i]));
  }
  for (ProtocolBlock& block : blocks) {
    block.headed =
        block.lines.size() >= 2 && block.lines[0] == kBoxEdge && block.lines[1] == kBoxTitle;
    block.complete = block.headed && block.lines.back().starts_with(kDurationPrefix);
  }
  return blocks;
}

}  // namespace pelmora::contract
