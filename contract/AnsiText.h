// Case folding and trimming for 8-bit texts in the ANSI code page
// (Windows-1252), the way Windows compares file paths and registry names.
#pragma once

#include <string>
#include <string_view>

namespace pelmora::contract {

// Upper-cases ASCII letters and the Windows-1252 letters that have an
// upper-case form (ä -> Ä, š -> Š, ÿ -> Ÿ, ...); every other byte stays.
char UpperAnsi(char c);
std::string UpperAnsi(std::string_view text);

bool EqualsIgnoreCaseAnsi(std::string_view a, std::string_view b);

// Removes leading and trailing blanks and control characters (bytes up to 32).
std::string TrimBlanksAndControls(std::string_view text);

}  // namespace pelmora::contract
