// What the about box shows of its own: the notice is kept scrambled under
// the box's own seed, as the layout stores it.
#pragma once

#include <cstdint>
#include <string>

namespace pelmora::pages {

inline constexpr std::int32_t kAboutSeed = 417;
// "© 2026 Pelmora. Alle Rechte vorbehalten." scrambled with kAboutSeed.
inline constexpr const char* kScrambledNotice = "\251 457:(Ykmuxtb2$Iupj'Tfeovn&~wygeohmwjq1";
inline constexpr const char* kAuthorMail = "bugs@pelmora.example";

// The mail link's target: the address, and a subject naming this program's
// version as the box shows it ("Version 1.0.0.1").
inline std::string AboutMailLink(const std::string& versionCaption) {
  return std::string("mailto:") + kAuthorMail + "?Subject=Pelmora " + versionCaption;
}

}  // namespace pelmora::pages
