// Decompression of one archive member's packed data: the ACE 1.0 LZ77 stream
// and the ACE 2.0 blocked stream with its EXE, DELTA, SOUND and PIC modes.
//
// The decoder knows nothing about headers, encryption or volumes: the caller
// hands it the member's (decrypted, concatenated) packed bytes and receives
// the original bytes in large blocks. The data CRC is the caller's business.
// Every input is treated as hostile: a damaged stream ends with
// Status::Corrupt, never with a crash, an endless loop or unbounded memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace pelmora::unace::decode {

// The packed bytes of one member, possibly spanning several volumes.
class PackedInput {
 public:
  virtual ~PackedInput() = default;
  // Copies up to `max` bytes to `dst`; returns 0 only at the end of the data.
  virtual std::size_t Read(std::uint8_t* dst, std::size_t max) = 0;
};

// Receives the decoded bytes in order, usually in blocks of many KiB.
class Output {
 public:
  virtual ~Output() = default;
  // Returns false when the caller wants the decoding to stop (Status::Aborted).
  virtual bool Write(const std::uint8_t* data, std::size_t n) = 0;
};

enum class Status {
  Ok,
  Corrupt,      // the packed data is damaged (or was decrypted with a wrong password)
  Aborted,      // Output::write returned false
  Unsupported,  // the member needs a dictionary larger than this decoder allows
  OutOfMemory,
};

// The largest dictionary the format can address: distance codes reach 2^22.
inline constexpr std::uint32_t kMaxDictionaryBytes = 1u << 22;

class Decoder {
 public:
  // Members declaring a dictionary above `maxDictionaryBytes` (after capping
  // the declaration at kMaxDictionaryBytes) are refused as Unsupported; the
  // window never grows beyond that size. It starts small and grows with the
  // decoded data, so small archives need little memory.
  explicit Decoder(std::uint32_t maxDictionaryBytes = kMaxDictionaryBytes);
  ~Decoder();
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  // Decodes one member of `originalSize` bytes. `blocked` selects the ACE 2.0
  // format. `solidContinue` keeps the window (and its write position) of the
  // previous member; otherwise the window starts empty. Never throws.
  Status DecodeMember(PackedInput& input, Output& output, std::uint64_t originalSize,
                      std::uint32_t dictionaryBytes, bool blocked, bool solidContinue);

  // A stored member of a solid archive enters the window too.
  void AppendStored(const std::uint8_t* data, std::size_t n);

  // Forgets the window, as before the first member of an archive; its
  // memory is kept for the next archive.
  void Reset();

  // What went wrong in the last DecodeMember call that did not return Ok,
  // e.g. "LZ77 distance 5000 beyond the 4096 bytes of history at output byte 77".
  const std::string& LastError() const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace pelmora::unace::decode
