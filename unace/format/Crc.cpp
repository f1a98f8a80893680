#include "unace/format/Crc.h"

#include <memory>

// The library's one piece of code for a particular processor: a faster checksum
// where the processor allows it (see FoldedCrc).
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "unace/format/LittleEndian.h"

namespace pelmora::unace::format {
namespace {

constexpr std::uint32_t kReflectedPolynomial = 0xEDB88320u;

// Slicing by eight: table k holds the CRC of a byte followed by k zero
// bytes, so eight input bytes cost eight independent lookups instead of a
// chain of eight dependent ones. Extraction spends much of its time
// here. The 8 KB of tables are computed when the program or library is
// loaded (microseconds) rather than carried in the file: on the heap, since
// a static array, even of zeros, would still take its 8 KB in the DLL
// (MinGW's GCC gives zero-initialised data its own .data section, not .bss,
// when every object gets a section of its own).
struct SliceTables {
  std::uint32_t slice[8][256];
};

std::unique_ptr<const SliceTables> MakeSliceTables() {
  auto tables = std::make_unique<SliceTables>();
  auto& t = tables->slice;
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t r = i;
    for (int bit = 0; bit < 8; ++bit) r = (r & 1u) ? (r >> 1) ^ kReflectedPolynomial : r >> 1;
    t[0][i] = r;
  }
  for (std::size_t k = 1; k < 8; ++k)
    for (std::size_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFFu];
  return tables;
}

const std::unique_ptr<const SliceTables> kTables = MakeSliceTables();

}  // namespace

namespace {

std::uint32_t SlicedCrc(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
  const auto& kSlices = kTables->slice;
  const auto& kTable = kSlices[0];
  while (size >= 8) {
    const std::uint32_t low = Le32(data) ^ crc;
    const std::uint32_t high = Le32(data + 4);
    crc = kSlices[7][low & 0xFFu] ^ kSlices[6][(low >> 8) & 0xFFu] ^
          kSlices[5][(low >> 16) & 0xFFu] ^ kSlices[4][low >> 24] ^ kSlices[3][high & 0xFFu] ^
          kSlices[2][(high >> 8) & 0xFFu] ^ kSlices[1][(high >> 16) & 0xFFu] ^
          kSlices[0][high >> 24];
    data += 8;
    size -= 8;
  }
  for (std::size_t i = 0; i < size; ++i) crc = kTable[(crc ^ data[i]) & 0xFFu] ^ (crc >> 8);
  return crc;
}

#if defined(__x86_64__)
// On x86-64 processors with carry-less multiplication (nearly all since
// 2010), the data is folded 64 bytes at a time: a 128-bit block standing n
// bits before the end of the data contributes its product with x^n mod P,
// so four running blocks are multiplied forward by 512 bits and the next
// four added in, then combined into one by 128-bit steps. What remains is
// the ordinary CRC of that one block followed by the tail, from a zero
// register (the starting register was added to the first block). Some six
// times the speed of the tables; the data checksum was a fifth of the time
// of an extraction. Left out of the 32-bit build, which is not run here.
constexpr std::size_t kFoldBlock = 64;

// Multiplies a block's low and high halves by the powers of x (modulo the
// format's polynomial, bit-reflected) in the constant's low and high halves.
__attribute__((target("pclmul,sse2"))) inline __m128i FoldOnce(__m128i x, __m128i k, __m128i next) {
  const __m128i low = _mm_clmulepi64_si128(x, k, 0x00);
  const __m128i high = _mm_clmulepi64_si128(x, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

__attribute__((target("pclmul,sse2"))) std::uint32_t FoldedCrc(std::uint32_t crc,
                                                               const std::uint8_t* data,
                                                               std::size_t size) {
  // The powers that move a block on by 512 and by 128 bits.
  const __m128i by512 = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);
  const __m128i by128 = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
  const auto load = [](const std::uint8_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  };
  __m128i x1 = _mm_xor_si128(load(data), _mm_cvtsi32_si128(static_cast<int>(crc)));
  __m128i x2 = load(data + 16);
  __m128i x3 = load(data + 32);
  __m128i x4 = load(data + 48);
  data += kFoldBlock;
  size -= kFoldBlock;
  for (; size >= kFoldBlock; data += kFoldBlock, size -= kFoldBlock) {
    x1 = FoldOnce(x1, by512, load(data));
    x2 = FoldOnce(x2, by512, load(data + 16));
    x3 = FoldOnce(x3, by512, load(data + 32));
    x4 = FoldOnce(x4, by512, load(data + 48));
  }
  x1 = FoldOnce(x1, by128, x2);
  x1 = FoldOnce(x1, by128, x3);
  x1 = FoldOnce(x1, by128, x4);
  for (; size >= 16; data += 16, size -= 16) x1 = FoldOnce(x1, by128, load(data));
  std::uint8_t last[16];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(last), x1);
  return SlicedCrc(SlicedCrc(0, last, sizeof last), data, size);
}

bool CanFold() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
}

const bool kCanFold = CanFold();
#endif

}  // namespace

std::uint32_t AceCrc32Update(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
#if defined(__x86_64__)
  if (size >= kFoldBlock && kCanFold) return FoldedCrc(crc, data, size);
#endif
  return SlicedCrc(crc, data, size);
}

void AceCrc32::Update(const std::uint8_t* data, std::size_t size) {
  register_ = AceCrc32Update(register_, data, size);
}

std::uint32_t AceCrc32Of(std::span<const std::uint8_t> data) {
  return AceCrc32Update(AceCrc32::kInitial, data.data(), data.size());
}

std::uint16_t HeaderCrc16(std::span<const std::uint8_t> headerBody) {
  return static_cast<std::uint16_t>(AceCrc32Of(headerBody) & 0xFFFFu);
}

}  // namespace pelmora::unace::format
