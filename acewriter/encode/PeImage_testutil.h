// A minimal Windows program image (PE) for the tests: headers, a section
// table and the sections' bytes, with long section names in a string table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pelmora::acewriter::encode::test {

struct ImageSection {
  std::string name;
  std::vector<std::uint8_t> bytes;
  bool code = false;
};

// Sections start at multiples of 0x200 after the headers, in the order given.
inline std::vector<std::uint8_t> BuildPeImage(bool amd64, const std::vector<ImageSection>& sections,
                                              std::vector<std::size_t>* offsets = nullptr) {
  std::vector<std::uint8_t> image(0x400, 0);
  const auto put = [&image](std::size_t at, std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i)
      image[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  image[0] = 'M';
  image[1] = 'Z';
  put(0x3C, 0x80, 4);
  image[0x80] = 'P';
  image[0x81] = 'E';
  put(0x84, amd64 ? 0x8664 : 0x14C, 2);
  put(0x86, sections.size(), 2);
  const std::size_t optional = amd64 ? 0xF0 : 0xE0;
  put(0x94, optional, 2);
  std::string strings(4, '\0');
  for (std::size_t k = 0; k < sections.size(); ++k) {
    const ImageSection& s = sections[k];
    image.resize((image.size() + 0x1FF) / 0x200 * 0x200, 0);
    const std::size_t header = 0x80 + 24 + optional + 40 * k;
    std::string name = s.name;
    if (name.size() > 8) {
      name = "/" + std::to_string(strings.size());
      strings += s.name + '\0';
    }
    for (std::size_t i = 0; i < name.size(); ++i)
      image[header + i] = static_cast<std::uint8_t>(name[i]);
    put(header + 16, s.bytes.size(), 4);
    put(header + 20, image.size(), 4);
    put(header + 36, s.code ? 0x60000020 : 0x40000040, 4);
    if (offsets) offsets->push_back(image.size());
    image.insert(image.end(), s.bytes.begin(), s.bytes.end());
  }
  // No symbols; the string table follows where they would start.
  put(0x80 + 12, image.size(), 4);
  const auto length = static_cast<std::uint32_t>(strings.size());
  for (int i = 0; i < 4; ++i)
    strings[static_cast<std::size_t>(i)] = static_cast<char>(length >> (8 * i));
  image.insert(image.end(), strings.begin(), strings.end());
  return image;
}

}  // namespace pelmora::acewriter::encode::test
