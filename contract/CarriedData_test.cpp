#include "contract/CarriedData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pelmora::contract {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& b, std::size_t at, std::uint64_t value, int count) {
  for (int i = 0; i < count; ++i) b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A PE32 image of 0x400 bytes: headers up to 0x200, one section after them;
// `certificate` sets the certificate table's directory entry.
Bytes Image(std::uint32_t certificateOffset = 0, std::uint32_t certificateSize = 0) {
  Bytes b(0x400, 0);
  Put(b, 0, 0x5A4D, 2);
  Put(b, 0x3C, 0x80, 4);
  Put(b, 0x80, 0x00004550, 4);
  Put(b, 0x86, 1, 2);    // sections
  Put(b, 0x94, 224, 2);  // optional header size
  const std::size_t optional = 0x98;
  Put(b, optional, 0x10B, 2);
  Put(b, optional + 60, 0x200, 4);  // size of headers
  Put(b, optional + 92, 16, 4);     // directories
  Put(b, optional + 96 + 8 * 4, certificateOffset, 4);
  Put(b, optional + 96 + 8 * 4 + 4, certificateSize, 4);
  const std::size_t section = optional + 224;
  Put(b, section + 16, 0x200, 4);  // raw size
  Put(b, section + 20, 0x200, 4);  // raw offset
  return b;
}

void Append(Bytes& b, const std::string& s) { b.insert(b.end(), s.begin(), s.end()); }

// What the packer writes: image, alignment, description, archive, trailer.
Bytes OneFileSetup(const std::string& description, const std::string& archive) {
  Bytes b = Image();
  b.resize(b.size() + CarriedPadding(b.size(), description.size(), archive.size()), 0);
  Sha256 digest;
  digest.Add(description);
  digest.Add(archive);
  digest.Add(CarriedTrailerHead(description.size(), archive.size()));
  Append(b, description);
  Append(b, archive);
  Append(b, CarriedTrailer(description.size(), archive.size(), digest.Finish()));
  return b;
}

std::variant<CarriedLayout, NoCarriedData> Read(const Bytes& file, std::uint64_t max = 1000) {
  const std::optional<Overlay> overlay = FindOverlay(file, file.size());
  if (!overlay) return NoCarriedData::Damaged;
  const std::size_t tail = CarriedTailBytes(*overlay);
  return ReadCarriedTrailer(
      *overlay, std::span(file).subspan(static_cast<std::size_t>(overlay->end) - tail, tail), max);
}

bool IsDamaged(const std::variant<CarriedLayout, NoCarriedData>& read) {
  const auto* none = std::get_if<NoCarriedData>(&read);
  return none && *none == NoCarriedData::Damaged;
}

TEST(CarriedData, LayoutFoundBackWhetherUnsignedOrSigned) {
  const std::string description = "description\r\n";  // 13 bytes: padding is needed
  const std::string archive(301, 'A');
  Bytes file = OneFileSetup(description, archive);
  EXPECT_EQ(file.size() % 8, 0u);

  const auto read = Read(file);
  ASSERT_TRUE(std::holds_alternative<CarriedLayout>(read));
  const CarriedLayout& layout = std::get<CarriedLayout>(read);
  EXPECT_EQ(std::string(file.begin() + layout.descriptionOffset,
                        file.begin() + layout.descriptionOffset + layout.descriptionLength),
            description);
  EXPECT_EQ(std::string(file.begin() + layout.archiveOffset,
                        file.begin() + layout.archiveOffset + layout.archiveLength),
            archive);
  Sha256 check;
  check.Add(
      std::string(file.begin() + layout.descriptionOffset, file.begin() + layout.digestOffset));
  EXPECT_EQ(check.Finish(), layout.digest);

  // Signed: the certificate table follows the trailer and the directory
  // entry points at it; the layout is the same.
  const std::uint32_t table = static_cast<std::uint32_t>(file.size());
  Bytes signedFile = Image(table, 40);
  signedFile.insert(signedFile.end(), file.begin() + 0x400, file.end());
  signedFile.resize(signedFile.size() + 40, 0xCC);
  const auto signedRead = Read(signedFile);
  ASSERT_TRUE(std::holds_alternative<CarriedLayout>(signedRead));
  EXPECT_EQ(std::get<CarriedLayout>(signedRead).archiveOffset, layout.archiveOffset);
  EXPECT_EQ(std::get<CarriedLayout>(signedRead).digestOffset, layout.digestOffset);
}

TEST(CarriedData, FolderMediumProgramsCarryNothing) {
  EXPECT_EQ(std::get<NoCarriedData>(Read(Image())), NoCarriedData::Absent);
  // A signed one, with a signing tool's alignment zeros before the table.
  Bytes aligned = Image(0x406, 8);
  aligned.resize(0x40E, 0);
  EXPECT_EQ(std::get<NoCarriedData>(Read(aligned)), NoCarriedData::Absent);
}

TEST(CarriedData, HostileOrCutFilesAreDamage) {
  const Bytes good = OneFileSetup("description", std::string(64, 'A'));
  const std::size_t trailer = good.size() - kCarriedTrailerBytes;
  const auto with = [&](std::size_t at, std::uint64_t value, int count = 8) {
    Bytes b = good;
    Put(b, at, value, count);
    return b;
  };
  const auto cut = [&](std::size_t size) { return Bytes(good.begin(), good.begin() + size); };
  Bytes strayBytes = Image();
  strayBytes.resize(strayBytes.size() + 3, 0x41);

  const std::vector<std::pair<const char*, Bytes>> damaged = {
      {"cut inside the trailer", cut(good.size() - 1)},
      {"cut inside the archive", cut(good.size() - kCarriedTrailerBytes - 5)},
      {"cut to fewer bytes than a trailer", cut(0x400 + 20)},
      {"stray bytes after the image", strayBytes},
      {"wrong magic", with(trailer, 0x58, 1)},
      {"empty description", with(trailer + 8, 0)},
      {"empty archive", with(trailer + 16, 0)},
      {"archive longer than the file", with(trailer + 16, ~std::uint64_t{0})},
      {"lengths that wrap around", with(trailer + 8, ~std::uint64_t{0} - 63)},
      {"description beyond the limit", with(trailer + 8, 1001)},
      {"lengths that leave unexplained bytes", with(trailer + 16, 56)},
  };
  for (const auto& [what, file] : damaged) EXPECT_TRUE(IsDamaged(Read(file))) << what;

  // Certificate tables that do not close the file.
  const std::uint32_t end = static_cast<std::uint32_t>(good.size());
  for (const auto& [offset, size] :
       {std::pair<std::uint32_t, std::uint32_t>{end, 40}, {end - 8, 4}, {0x100, end - 0x100}}) {
    Bytes b = Image(offset, size);
    b.insert(b.end(), good.begin() + 0x400, good.end());
    EXPECT_FALSE(FindOverlay(b, b.size())) << offset << "+" << size;
  }
  // Headers cut short, or an image longer than the file.
  EXPECT_FALSE(FindOverlay(std::span(good).first(0x100), good.size()));
  EXPECT_FALSE(FindOverlay(good, 0x3FF));
}

}  // namespace
}  // namespace pelmora::contract
