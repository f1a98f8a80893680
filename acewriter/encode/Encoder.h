// Turns member bytes into ACE packed data: the ACE 1.0 LZ77 stream
// (COMP_TYPE 1) or the ACE 2.0 blocked stream (COMP_TYPE 2) with its EXE,
// DELTA, SOUND and PIC modes.
//
// One Encoder serves one archive. It owns the LZ77 window, so in a solid
// archive every member (and every stored member, through appendStored) must
// go through the same Encoder in archive order.
//
// Memory: besides the caller's input and the returned output, an Encoder
// holds a window of one dictionary plus up to max(dictionary, 1 MiB) bytes
// of look-ahead, 4 bytes of match chain per dictionary byte, up to 1 MiB of
// hash heads (4 MiB with the 4 MiB dictionary) and 256 KiB of pair table:
// about 8 MiB with the 1 MiB dictionary, independent of the member size.
// Level 5 keeps 8 bytes of tree per dictionary byte instead of the chain,
// and as much again as the hash heads for its longer and shorter matches
// (about 13 MiB with the 1 MiB dictionary, 50 MiB with 4 MiB). The blocked method adds
// one copy of an EXE segment and of a SOUND segment while coding it from memory; coding in pieces
// it holds about 1 MiB at most.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace pelmora::acewriter::encode {

enum class Method {
  Lz77,     // ACE 1.0, COMP_TYPE 1: readable by every ACE reader
  Blocked,  // ACE 2.0, COMP_TYPE 2
};

// Which technique the blocked stream uses. Auto picks per member (and per
// region for executables); the others force one mode for the whole member
// (tests, or callers that know their data).
enum class BlockedMode { Auto, Lz77, Exe, Delta, Sound, Pic };

// The four audio layouts of the SOUND mode.
enum class SoundLayout {
  Mono8,            // SOUND_8: one channel
  Mono16,           // SOUND_16: low and high bytes of 16-bit samples
  Stereo16,         // SOUND_32A: 16-bit stereo, low bytes share a channel
  Stereo16Swapped,  // SOUND_32B: the byte-swapped counterpart
};

struct Options {
  Method method = Method::Lz77;
  BlockedMode mode = BlockedMode::Auto;
  // 10..22 (1 KiB..4 MiB). Keep it at or below 20 for archives that old
  // readers must open.
  std::uint32_t dictionaryBits = 20;
  // 1 (fastest) .. 5 (best); also written as COMP_QUAL. 3 is "normal".
  int level = 3;

  // Parameters of the explicitly chosen blocked modes.
  std::uint8_t exeMode = 1;          // 0: 16-bit CALL targets, 1: 32-bit
  std::uint8_t deltaDistance = 4;    // planes, 1..255
  std::uint32_t deltaLength = 2048;  // chunk bytes; rounded down to a multiple of deltaDistance
  SoundLayout soundLayout = SoundLayout::Mono16;
  std::uint32_t picWidth = 0;   // bytes per row; 0: the whole member is one row
  std::uint32_t picPlanes = 1;  // interleaved bytes per pixel, >= 1
  int picPlaneType = -1;        // decoder type for planes >= 1: 0..2, or -1 to choose per row
};

class Encoder {
 public:
  // Throws std::invalid_argument when an option is out of range.
  explicit Encoder(const Options& options);
  ~Encoder();
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;
  Encoder(Encoder&&) noexcept;
  Encoder& operator=(Encoder&&) noexcept;

  // Compresses one member and returns its packed data, a multiple of 4
  // bytes; empty input gives empty output (store such members with
  // COMP_TYPE 0). Incompressible data grows by about 0.1 %; a writer may
  // then prefer to store the member: see storeInstead. With solidContinue
  // the member may refer to everything the Encoder has seen before (solid
  // archive); without it the window starts empty.
  std::vector<std::uint8_t> EncodeMember(std::span<const std::uint8_t> data, bool solidContinue);

  // The same in pieces, for members too large to hold: beginMember with
  // the member's size, any number of feed calls, finishMember. takePacked
  // hands out the packed bytes completed so far (whole words), so the
  // caller may write them out as it goes; finishMember returns the rest.
  // The blocked method needs the exact size (its choices depend on it;
  // std::runtime_error when the bytes fed differ) and codes in pieces only
  // members only when CodesInPieces is true (not in the forced PIC and
  // SOUND modes); it holds back at most about 1 MiB besides the window.
  // Throws std::logic_error when the calls come out of order.
  bool CodesInPieces() const;
  void BeginMember(bool solidContinue, std::uint64_t memberSize);
  void Feed(std::span<const std::uint8_t> data);
  std::vector<std::uint8_t> TakePacked();
  std::vector<std::uint8_t> FinishMember();

  // A member stored uncompressed in a solid archive: its bytes enter the
  // window exactly as a reader sees them.
  void AppendStored(std::span<const std::uint8_t> data);

  // The member just passed to encodeMember (the same bytes) is written
  // stored after all. Required in solid archives of the blocked method:
  // EXE and DELTA put transformed bytes into the window, a reader of the
  // stored member the original ones. Do not call appendStored for it.
  void StoreInstead(std::span<const std::uint8_t> data);

  // What goes into the FILE header of members made by this Encoder.
  std::uint8_t CompressionType() const;  // COMP_TYPE: 1 or 2
  std::uint8_t Quality() const;          // COMP_QUAL
  std::uint16_t Params() const;          // PARAMS: dictionary code in bits 0..3
  std::uint32_t DictionaryBits() const;
  // True when the members need an ACE 2.0 reader (MAIN VER_EXTRACT 20).
  bool NeedsVersion20() const { return CompressionType() == 2; }

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace pelmora::acewriter::encode
