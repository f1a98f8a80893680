// The LZ77 parser: finds matches in the window (hash chains, repeat
// distances, near 2-byte matches), weighs them by their bit price and sends
// literals and matches to the block coder, with one step of lazy evaluation.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "acewriter/encode/LzBlockCoder.h"
#include "acewriter/encode/MatchFinder.h"

namespace pelmora::acewriter::encode {

struct SearchEffort {
  unsigned maxChain;    // candidates examined per position
  unsigned niceLength;  // stop searching at this length
  unsigned lazyBelow;   // try the next position when the match is shorter
  unsigned goodLength;  // quarter the search once a match is this long
  unsigned indexBelow;  // positions inside longer matches are not indexed
};

SearchEffort EffortForLevel(int level);

class LzParser {
 public:
  LzParser(std::uint32_t dictionaryBits, int level);

  // A new member: the repeat distances start at 0; keepWindow says whether
  // earlier bytes stay referable (solid archive).
  void StartMember(bool keepWindow);

  // Codes `bytes` into `coder`; no match extends past their end, but
  // matches may reach back into anything the window holds.
  void Code(std::span<const std::uint8_t> bytes, LzBlockCoder& coder);

  // The same in pieces: feed codes all but a short tail (matches may still
  // run into the next piece); FinishStretch codes the tail.
  void Feed(std::span<const std::uint8_t> bytes, LzBlockCoder& coder);
  void FinishStretch(LzBlockCoder& coder);

  // Bytes the reader puts into its window without LZ77 coding.
  void EnterWindow(std::span<const std::uint8_t> bytes);

  // The member just coded is stored after all: the window takes its
  // original bytes (EXE and DELTA put transformed bytes there).
  void ReplaceNewest(std::span<const std::uint8_t> original) { finder_.OverwriteNewest(original); }

  // After a SOUND or PIC stretch the reader's repeat distances are not
  // relied upon until new distances have replaced them.
  void DistrustRepeats() { knownRepeats_ = 0; }

 private:
  struct Choice {
    unsigned length = 0;
    int slot = -1;        // repeat slot, or -1 for a new distance
    std::uint32_t d = 0;  // distance - 1
    int score = 0;        // bits saved against literals, in 1/16 bits
  };

  // Codes the window from the coding position up to `stop`; matches end at
  // `end` at the latest.
  void Parse(std::size_t stop, std::size_t end, LzBlockCoder& coder);
  Choice Best(std::size_t pos, std::size_t end, const LzPrices& prices) const;
  void Emit(const Choice& choice, LzBlockCoder& coder);

  MatchFinder finder_;
  SearchEffort effort_;
  std::array<std::uint32_t, 4> repeats_{};
  unsigned knownRepeats_ = 4;   // slots below this hold what the reader holds
  std::size_t literalRun_ = 0;  // literals since the last match
};

}  // namespace pelmora::acewriter::encode
