#include "acewriter/encode/PeSections.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace pelmora::acewriter::encode {
namespace {

std::uint32_t Le(std::span<const std::uint8_t> d, std::uint64_t at, int n) {
  std::uint32_t v = 0;
  for (int i = n; i-- > 0;)
    v = v << 8 | d[static_cast<std::size_t>(at) + static_cast<std::size_t>(i)];
  return v;
}

constexpr std::uint32_t kCodeContent = 0x00000020;  // IMAGE_SCN_CNT_CODE
constexpr std::uint32_t kExecutable = 0x20000000;   // IMAGE_SCN_MEM_EXECUTE
constexpr std::uint32_t kMachineAmd64 = 0x8664;
constexpr std::uint64_t kSectionHeaderBytes = 40;
constexpr std::uint64_t kSymbolBytes = 18;
constexpr std::uint32_t kMostSections = 96;  // what Windows loads

// The section's name; names longer than 8 bytes ("/" and a decimal offset)
// stand in the string table that follows the symbol table.
std::string SectionName(std::span<const std::uint8_t> file, std::uint64_t header,
                        std::uint64_t strings) {
  std::string name;
  for (std::uint64_t i = 0; i < 8 && file[header + i] != 0; ++i)
    name.push_back(static_cast<char>(file[header + i]));
  if (name.size() < 2 || name[0] != '/') return name;
  std::uint64_t offset = 0;
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return name;
    offset = offset * 10 + static_cast<std::uint64_t>(name[i] - '0');
  }
  std::string full;
  for (std::uint64_t at = strings + offset; at < file.size() && file[at] != 0 && full.size() < 64;
       ++at)
    full.push_back(static_cast<char>(file[at]));
  return full;
}

}  // namespace

std::vector<PeSection> FindPeSections(std::span<const std::uint8_t> file) {
  std::vector<PeSection> sections;
  if (file.size() < 0x40 || file[0] != 'M' || file[1] != 'Z') return sections;
  const std::uint64_t pe = Le(file, 0x3C, 4);
  if (pe + 24 > file.size() || std::memcmp(file.data() + pe, "PE\0\0", 4) != 0) return sections;
  const bool amd64 = Le(file, pe + 4, 2) == kMachineAmd64;
  const std::uint32_t count = Le(file, pe + 6, 2);
  if (count == 0 || count > kMostSections) return sections;
  const std::uint64_t strings = Le(file, pe + 12, 4) + Le(file, pe + 16, 4) * kSymbolBytes;
  const std::uint64_t table = pe + 24 + Le(file, pe + 20, 2);
  if (table + count * kSectionHeaderBytes > file.size()) return sections;
  for (std::uint32_t k = 0; k < count; ++k) {
    const std::uint64_t header = table + k * kSectionHeaderBytes;
    PeSection s;
    s.begin = Le(file, header + 20, 4);
    if (s.begin >= file.size()) continue;
    s.length = std::min<std::uint64_t>(Le(file, header + 16, 4), file.size() - s.begin);
    if (s.length == 0) continue;
    const std::string name = SectionName(file, header, strings);
    if ((Le(file, header + 36, 4) & (kCodeContent | kExecutable)) != 0) {
      s.kind = PeSectionKind::Code;
    } else if (name == ".reloc") {
      s.kind = PeSectionKind::Records;
      s.recordBytes = 2;
    } else if (name == ".pdata" && amd64) {
      s.kind = PeSectionKind::Records;
      s.recordBytes = 12;
    } else if (name == ".debug_ranges") {
      s.kind = PeSectionKind::Records;
      s.recordBytes = amd64 ? 8 : 4;
    }
    sections.push_back(s);
  }
  std::sort(sections.begin(), sections.end(),
            [](const PeSection& a, const PeSection& b) { return a.begin < b.begin; });
  // A section reaching into the next gives up the bytes they share.
  for (std::size_t k = 0; k + 1 < sections.size(); ++k)
    sections[k].length = std::min(sections[k].length, sections[k + 1].begin - sections[k].begin);
  std::erase_if(sections, [](const PeSection& s) { return s.length == 0; });
  // Without machine code the headers are not what they seem (or the image
  // holds no program): the caller looks at the bytes instead.
  if (std::none_of(sections.begin(), sections.end(),
                   [](const PeSection& s) { return s.kind == PeSectionKind::Code; }))
    sections.clear();
  return sections;
}

}  // namespace pelmora::acewriter::encode
