// The list of entry names an extraction is limited to: kept sorted, compared
// without regard to letter case, a name that is already present is not added
// again.
//
// Letter case: names are ANSI (Windows-1252) texts, so besides A-Z the
// Windows-1252 letters with an upper-case partner are folded as well
// (à-þ except ÷ to À-Þ, š œ ž ÿ to Š Œ Ž Ÿ), which is what the ANSI
// comparison of a German or English Windows treats as equal. The order is
// that of the folded bytes; it only has to be consistent for the binary
// search, nothing shows it to the user.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora::archive {

// Windows-1252 upper-case partner of `c`, or `c` itself.
unsigned char FoldCase1252(unsigned char c);

// <0, 0, >0 like strcmp, but with both texts case-folded.
int CompareIgnoringCase1252(std::string_view a, std::string_view b);

class FileList {
 public:
  FileList() = default;
  FileList(std::initializer_list<std::string> lines);

  // Adds `line` at its sorted place unless an equal name is present.
  // Answers whether it was added.
  bool Add(std::string line);
  bool Contains(std::string_view name) const;
  void Clear() { lines_.clear(); }

  // Replaces the content by the given lines (sorted, duplicates dropped).
  void Assign(std::span<const std::string> lines);

  bool Empty() const { return lines_.empty(); }
  std::size_t Size() const { return lines_.size(); }
  const std::string& operator[](std::size_t index) const { return lines_[index]; }
  const std::vector<std::string>& Lines() const { return lines_; }
  auto begin() const { return lines_.begin(); }
  auto end() const { return lines_.end(); }

 private:
  std::vector<std::string> lines_;
};

}  // namespace pelmora::archive
