// What the about box shows of its own: the notice is kept scrambled under
// the box's own seed, as the layout stores it.
#pragma once

#include <cstdint>

namespace pelmora::pages {

inline constexpr std::int32_t kAboutSeed = 417;
// "© 2026 Pelmora. Alle Rechte vorbehalten." scrambled with kAboutSeed.
inline constexpr const char* kScrambledNotice = "\251 457:(Ykmuxtb2$Iupj'Tfeovn&~wygeohmwjq1";
inline constexpr const char* kAuthorMail = "bugs@pelmora.example";

}  // namespace pelmora::pages
