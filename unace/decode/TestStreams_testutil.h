// Test-only helpers: a bit writer that packs bits the way the decoder reads
// them, a writer for width tables and LZ77 blocks, and adapters that feed
// the Decoder from memory and collect its output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "unace/decode/Decoder.h"
#include "unace/decode/Huffman.h"
#include "TestFiles.h"

namespace pelmora::unace::decode::test {

using pelmora::test::Bytes;

using pelmora::test::FromHex;

class BitWriter {
 public:
  // Appends the low `n` bits of `value`, most significant first.
  void Put(std::uint32_t value, int n);
  // Pads the last word with zero bits; the result is whole little-endian words.
  Bytes Finish() const;
  std::size_t BitCount() const { return bitCount_; }

 private:
  // Whole words, and the bits of the next one so far (at the top of `next_`).
  std::vector<std::uint32_t> words_;
  std::uint32_t next_ = 0;
  std::size_t bitCount_ = 0;
};

// Codes for an alphabet, derived from widths the way the decoder derives them.
class Code {
 public:
  Code(std::vector<std::uint8_t> widths, int maxWidth);
  // Widths giving each listed symbol the same width (a complete code when
  // their number is a power of two); the array ends at the largest listed symbol.
  static Code Flat(const std::vector<std::uint32_t>& symbols, int maxWidth);
  void WriteSymbol(BitWriter& out, std::uint32_t symbol) const;
  // The width table as transmitted (NUM, LOW, UP, width alphabet, body).
  void WriteTable(BitWriter& out) const;
  const std::vector<std::uint8_t>& Widths() const { return widths_; }

 private:
  std::vector<std::uint8_t> widths_;
  int maxWidth_;
  HuffmanTable table_;
  std::vector<std::uint32_t> codes_;  // each symbol's code, as the table decodes it
};

// Writes the trivial table of an alphabet that is never used.
void WriteUnusedTable(BitWriter& out);

// One item of an LZ77 block.
struct Lz77Item {
  enum Kind { Literal, NewDistance, Repeat, TypeCode, RawBits } kind;
  std::uint32_t value = 0;   // byte, distance (actual, >= 1), history slot, or raw bits
  std::uint32_t length = 0;  // match length, or number of raw bits
};
Lz77Item Lit(std::uint8_t byte);
Lz77Item Match(std::uint32_t distance, std::uint32_t length);
Lz77Item Rep(std::uint32_t slot, std::uint32_t length);
Lz77Item Switch();  // TYPECODE
Lz77Item Raw(std::uint32_t bits, std::uint32_t count);
// Literals for every byte of a text.
std::vector<Lz77Item> Literals(const std::string& text);

// Writes one block: tables built over the block's symbols, COUNT, items.
void WriteLz77Block(BitWriter& out, const std::vector<Lz77Item>& items);
// The same, split into blocks of at most 30000 symbols.
void WriteLz77Blocks(BitWriter& out, const std::vector<Lz77Item>& items);

// Packed input from memory, handed out in pieces of `piece` bytes.
class MemoryInput : public PackedInput {
 public:
  explicit MemoryInput(Bytes data, std::size_t piece = 1 << 20)
      : data_(std::move(data)), piece_(piece) {}
  std::size_t Read(std::uint8_t* dst, std::size_t max) override;

 private:
  Bytes data_;
  std::size_t piece_;
  std::size_t pos_ = 0;
};

class CollectOutput : public Output {
 public:
  bool Write(const std::uint8_t* data, std::size_t n) override {
    bytes.insert(bytes.end(), data, data + n);
    ++calls;
    return true;
  }
  Bytes bytes;
  std::size_t calls = 0;
};

struct DecodeResult {
  Status status;
  Bytes output;
  std::string error;
};
// Decodes one member in a fresh decoder.
DecodeResult DecodeOne(const Bytes& packed, std::uint64_t originalSize, bool blocked,
                       std::uint32_t dictionary = 1u << 20);

std::uint32_t AceCrc(const Bytes& data);

}  // namespace pelmora::unace::decode::test
