// Reading a protocol back: its lines, and the blocks one setup run each
// wrote. The uninstaller reads with this alone.
#include "contract/Protocol.h"
#include "contract/ProtocolFormat.h"

namespace pelmora::contract {

using namespace protocol_format;

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
