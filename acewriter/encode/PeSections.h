// Where the sections of a Windows program (a PE image: EXE or DLL) lie in
// its file, for choosing the coding mode of each: machine code and tables
// of fixed-size records each want their own.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pelmora::acewriter::encode {

enum class PeSectionKind {
  Code,     // machine code (the section says it is executable)
  Records,  // a table whose records change little from one to the next
  Other,
};

struct PeSection {
  std::uint64_t begin = 0;  // file offset
  std::uint64_t length = 0;
  PeSectionKind kind = PeSectionKind::Other;
  // Records: the record size (or, for records of several addresses, the
  // address size) that DELTA mode steps by: 2 for base relocations, 12 for
  // the x86-64 function table (.pdata), 4 or 8 for DWARF address ranges.
  unsigned recordBytes = 0;
};

// The sections of the image with file data, in file order, clipped to the
// file and without overlaps; empty when `file` is not a PE image, its
// headers do not fit it or no section holds machine code.
std::vector<PeSection> FindPeSections(std::span<const std::uint8_t> file);

}  // namespace pelmora::acewriter::encode
