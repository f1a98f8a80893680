// The LZ77 parser: finds matches in the window (hash chains, repeat
// distances, near 2-byte matches), weighs them by their bit price and sends
// literals and matches to the block coder: with one step of lazy
// evaluation, or at the best level along the cheapest path through a few
// thousand positions (priced with the widths of the last block's codes).
#pragma once

#include <array>
#include <memory>
#include <cstdint>
#include <span>
#include <vector>

#include "acewriter/encode/LzBlockCoder.h"
#include "acewriter/encode/MatchFinder.h"

namespace pelmora::acewriter::encode {

struct SearchEffort {
  unsigned maxChain;    // candidates examined per position
  unsigned niceLength;  // stop searching at this length
  unsigned lazyBelow;   // try the next position when the match is shorter
  unsigned goodLength;  // quarter the search once a match is this long
  unsigned indexBelow;  // positions inside longer matches are not indexed
  bool cheapestPath;    // cost-based parse instead of the lazy one
};

SearchEffort EffortForLevel(int level);

class LzParser {
 public:
  LzParser(std::uint32_t dictionaryBits, int level);
  // The trial coder writes into a member.
  LzParser(const LzParser&) = delete;
  LzParser& operator=(const LzParser&) = delete;

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

  // Whether this is the cost-based parse of the best level, for which
  // finer work elsewhere pays too (LzBlockCoder's fineBlocks).
  bool Thorough() const { return effort_.cheapestPath; }

  // Bytes the reader puts into its window without LZ77 coding.
  void EnterWindow(std::span<const std::uint8_t> bytes);

  // The member just coded is stored after all: the window takes its
  // original bytes (EXE and DELTA put transformed bytes there).
  void ReplaceNewest(std::span<const std::uint8_t> original) { finder_.OverwriteNewest(original); }

  // After a SOUND or PIC stretch the reader's repeat distances are not
  // relied upon until new distances have replaced them.
  void DistrustRepeats() { knownRepeats_ = 0; }

 private:
  // How both parses thin out their search in a run of literals (Parse
  // says why): from this many on, up to kMaxStride bytes apart.
  static constexpr std::size_t kTrustedLiteralRun = 512;
  static constexpr std::size_t kMaxStride = 32;

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

  // The cost-based parse (LzParserCheapest.cpp): the same contract as Parse.
  // A position of the stretch: the cheapest known way to reach it, and
  // the repeat distances the reader would then hold.
  struct Step {
    std::uint32_t cost;    // bits from the stretch start
    std::uint32_t from;    // the position this way came from
    std::uint32_t d;       // distance - 1 of a match
    std::uint16_t length;  // 1: a literal
    std::int8_t slot;      // repeat slot, or -1 for a new distance
    std::uint8_t known;    // repeat slots that hold what the reader holds
    std::array<std::uint32_t, 4> repeats;
  };
  struct Candidate {
    unsigned length;
    std::uint32_t d;
  };
  void ParseCheapest(std::size_t stop, std::size_t end, LzBlockCoder& coder);
  // Past kTrustedLiteralRun literals in a row, codes the next stride of
  // bytes as literals without searching; returns the position reached.
  std::size_t SkipLiteralStride(std::size_t pos, std::size_t stop, LzBlockCoder& coder);
  // Codes the cheapest path (at `prices`) from the coding position through
  // the next stretch, or the literal stride; returns the position reached.
  std::size_t CheapestStep(std::size_t stop, std::size_t end, const LzPrices& prices,
                           LzBlockCoder& coder);
  std::size_t CheapestStretch(std::size_t stop, std::size_t end, const LzPrices& prices,
                              LzBlockCoder& coder);
  // New-distance matches at `pos`, strictly growing in length: searched
  // (FindCandidates) or, in the second pass, remembered from the first.
  void Candidates(std::size_t pos, std::size_t end, std::vector<Candidate>& found);
  void FindCandidates(std::size_t pos, std::size_t end, std::vector<Candidate>& found);

  MatchFinder finder_;
  SearchEffort effort_;
  std::array<std::uint32_t, 4> repeats_{};
  unsigned knownRepeats_ = 4;   // slots below this hold what the reader holds
  std::size_t literalRun_ = 0;  // literals since the last match
  std::vector<Step> steps_;     // the cost-based parse's nodes, kept between calls
  std::vector<Candidate> candidates_;
  std::vector<std::uint32_t> path_;  // the cheapest way's positions, last first

  // The cost-based parse codes each region twice: first into trial_ with
  // the prices learnt so far, remembering every position's candidates,
  // then for real with the prices of what the first pass chose.
  struct Remembered {
    std::uint32_t first;  // in remembered_
    std::uint32_t count;  // kNotSearched: the first pass did not search here
  };
  static constexpr std::uint32_t kNotSearched = 0xFFFFFFFF;
  enum class Pass { Single, First, Second };
  Pass pass_ = Pass::Single;
  std::size_t regionStart_ = 0;
  std::vector<Remembered> searched_;  // by position - regionStart_
  std::vector<Candidate> remembered_;
  BitWriter trialBits_;
  std::unique_ptr<LzBlockCoder> trial_;
};

}  // namespace pelmora::acewriter::encode
