// The existing-installation page's decisions: which situation the two
// versions make, the texts that name it, and the installation mode that
// follows from the user's choice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "contract/InstallMode.h"
#include "contract/Refusal.h"

namespace pelmora::pages {

// The application's run-time text "'%s' ist kein gültiger Integerwert" for
// a NotAnInteger refusal (its detail is the component).
std::string InvalidIntegerText(const contract::Refusal& invalid);

// True when `installed` is older than `product`. Each text is cut into four
// components at its first three dots (the fourth takes the rest); each is
// read as a decimal integer and only its low 16 bits count. The first pair
// that differs decides. NotAnInteger for a component that is not an
// integer, including an empty one or a fourth with a further dot.
std::variant<bool, contract::Refusal> IsOlderVersion(std::string_view installed,
                                                     std::string_view product);

enum class Situation { Repair, Update, Downgrade };

// Equal texts are a repair without reading any number; otherwise the
// comparison decides (and may refuse as IsOlderVersion does).
std::variant<Situation, contract::Refusal> JudgeSituation(std::string_view productVersion,
                                                          std::string_view installedVersion);

struct SituationTexts {
  std::string title;
  std::string explanation;
  std::string groupCaption;
  std::string firstChoice;
  std::string secondChoice;
};

SituationTexts TextsFor(Situation situation, std::string_view productVersion,
                        std::string_view installedVersion, bool english);

// The choices the layout shows until a situation has been judged.
inline constexpr const char* kLayoutFirstChoice = "Reparaturinstallation";
inline constexpr const char* kLayoutSecondChoice =
    "komplette Reinstallation (alle Dateien werden überschrieben)";

struct ChoiceOutcome {
  bool endSetup = false;  // the downgrade's first choice: abort, as Cancel does
  contract::InstallMode mode = contract::InstallMode::Update;
};

// Next on the page: the mode is derived afresh from the situation and the
// current choice each time, so going back and choosing again counts. Without
// a judged situation (the versions could not be compared) the mode stays.
ChoiceOutcome ApplyChoice(std::optional<Situation> situation, bool secondChoice,
                          contract::InstallMode currentMode);

}  // namespace pelmora::pages
