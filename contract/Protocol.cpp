// Writing the protocol: the setup adds a block per run, line by line.
#include "contract/Protocol.h"

#include "contract/ProductFiles.h"
#include "contract/ProtocolFormat.h"

namespace pelmora::contract {

using namespace protocol_format;

namespace {

std::string_view MarkerOf(LineKind kind) {
  for (const Marker& marker : kMarkers)
    if (marker.kind == kind) return marker.text;
  return {};
}

}  // namespace

bool Protocol::IsSingleLine(std::string_view marker, std::string_view text) {
  if (text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos) return true;
  // The detail says which line and what it held, as the run's report shows it.
  if (!refusal_)
    refusal_.emplace(Reason::SplitsLine,
                     "protocol line \"" + std::string(marker) +
                         "...\" holds a line break or NUL: " + std::string(text));
  return false;
}

void Protocol::Add(LineKind kind, std::string_view text) {
  const std::string_view marker = MarkerOf(kind);
  if (!IsSingleLine(marker, text)) return;
  std::string line(marker);
  line += text;
  lines_.push_back(std::move(line));
}

// The fixed comment lines below carry their marker in their text.
void Protocol::AddComment(std::string_view line) {
  if (IsSingleLine(MarkerOf(LineKind::Comment), line)) lines_.emplace_back(line);
}

void Protocol::AddHeader(std::string_view targetDirectory, std::string_view date,
                         std::string_view time) {
  // Checked before the box goes in, so that a refused header adds nothing.
  if (!IsSingleLine("/Date: ", date) || !IsSingleLine("/Date: ", time) ||
      !IsSingleLine(MarkerOf(LineKind::Folder), targetDirectory))
    return;
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
  if (!IsSingleLine("/File created by ", setupVersion) || !IsSingleLine(kDurationPrefix, duration))
    return;
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
  if (elapsed.count() < 0) return {};
  // One unsigned 64-bit remainder, then 32-bit arithmetic: the signed 64-bit
  // division and remainder would each link a helper of the runtime's.
  constexpr unsigned kMillisecondsPerDay = 24 * 60 * 60 * 1000;
  const auto secondsOfDay = static_cast<unsigned>(
                                static_cast<unsigned long long>(elapsed.count()) %
                                kMillisecondsPerDay) /
                            1000;
  return {static_cast<int>(secondsOfDay / 3600), static_cast<int>(secondsOfDay / 60 % 60),
          static_cast<int>(secondsOfDay % 60)};
}

}  // namespace pelmora::contract
