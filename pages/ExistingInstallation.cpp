#include "pages/ExistingInstallation.h"

#include <array>
#include <cstdint>
#include <limits>

namespace pelmora::pages {

using contract::Reason;
using contract::Refusal;

std::string InvalidIntegerText(const Refusal& invalid) {
  return "'" + invalid.detail + "' ist kein gültiger Integerwert";
}

namespace {

// A decimal integer of 32 bits with an optional sign, nothing else; its
// low 16 bits.
std::optional<std::uint16_t> ComponentValue(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(value) & 0xFFFF);
}

std::variant<std::array<std::uint16_t, 4>, Refusal> Components(std::string_view version) {
  std::array<std::uint16_t, 4> parts{};
  for (std::size_t n = 0; n < 4; ++n) {
    const std::size_t dot = n < 3 ? version.find('.') : std::string_view::npos;
    // A missing dot leaves an empty component, which is not an integer.
    const std::string_view part = version.substr(0, dot);
    const std::optional<std::uint16_t> value = ComponentValue(part);
    if (!value) return Refusal(Reason::NotAnInteger, std::string(part));
    parts[n] = *value;
    version = dot == std::string_view::npos ? std::string_view() : version.substr(dot + 1);
  }
  return parts;
}

}  // namespace

std::variant<bool, Refusal> IsOlderVersion(std::string_view installed, std::string_view product) {
  const auto a = Components(installed);
  if (const auto* invalid = std::get_if<Refusal>(&a)) return *invalid;
  const auto b = Components(product);
  if (const auto* invalid = std::get_if<Refusal>(&b)) return *invalid;
  const auto& older = std::get<0>(a);
  const auto& newer = std::get<0>(b);
  for (std::size_t n = 0; n < 4; ++n)
    if (older[n] != newer[n]) return older[n] < newer[n];
  return false;
}

std::variant<Situation, Refusal> JudgeSituation(std::string_view productVersion,
                                                std::string_view installedVersion) {
  if (productVersion == installedVersion) return Situation::Repair;
  const auto older = IsOlderVersion(installedVersion, productVersion);
  if (const auto* invalid = std::get_if<Refusal>(&older)) return *invalid;
  return std::get<bool>(older) ? Situation::Update : Situation::Downgrade;
}

SituationTexts TextsFor(Situation situation, std::string_view productVersion,
                        std::string_view installedVersion, bool english) {
  const std::string p(productVersion);
  const std::string i(installedVersion);
  SituationTexts t;
  t.groupCaption = english ? " Please choose: " : " Bitte wählen Sie: ";
  switch (situation) {
    case Situation::Repair:
      if (english) {
        t = {"Repair",
             "The product you're trying to install, is already on your computer. You can choose "
             "one of the following:",
             t.groupCaption, "&Repair",
             "&complete Repair (all files/settings will be overwritten)"};
      } else {
        t = {"Reparatur",
             "Das Produkt, welche Sie gerade versuchen zu installieren, ist in derselben Version "
             "bereits auf Ihrem Computer installiert. Sie haben nun folgende Möglichkeiten:",
             t.groupCaption, "&Reparaturinstallation",
             "&komplette Reparaturinstallation (alle Dateien/Einstellungen werden überschrieben)"};
      }
      break;
    case Situation::Update:
      if (english) {
        t = {"Update to " + p,
             "The product, you're trying to install, is already installed on your computer, but "
             "in an older version (" +
                 i + "). You can choose one of the following now:",
             t.groupCaption, "normal &Update", "&complete Update (all files will be overwritten)"};
      } else {
        t = {"Update auf " + p,
             "Das Produkt, welche Sie gerade versuchen zu installieren, ist in einer älteren "
             "Version (" +
                 i +
                 ") bereits auf Ihrem Computer installiert. Sie haben nun folgende "
                 "Möglichkeiten:",
             t.groupCaption, "normale &Updateinstallation",
             "&komplette Updateinstallation (alle Dateien radikal überschreiben)"};
      }
      break;
    case Situation::Downgrade:
      if (english) {
        t = {"Downgrade",
             "The product, you're trying to install, is already installed on your computer in a "
             "NEWER version. I don't suggest you, to install this older version over your new "
             "one. Please choose one of the following:",
             t.groupCaption, "&Abort", "&Install (all files will be overwritten)"};
      } else {
        t = {"Downgrade",
             "Das Produkt, welche Sie gerade versuchen zu installieren, ist in einer NEUEREN "
             "Versionbereits auf Ihrem Computer installiert. Es ist nicht empfehlenswert, diese "
             "ältere Version zu installieren. Sie haben nun folgende Möglichkeiten:",
             t.groupCaption, "&Abbrechen",
             "Dennoch &installieren (alle Dateien radikal überschreiben)"};
      }
      break;
  }
  return t;
}

ChoiceOutcome ApplyChoice(std::optional<Situation> situation, bool secondChoice,
                          contract::InstallMode currentMode) {
  using contract::InstallMode;
  if (!situation) return {false, currentMode};
  switch (*situation) {
    case Situation::Update:
      return {false, secondChoice ? InstallMode::CompleteUpdate : InstallMode::Update};
    case Situation::Repair:
      return {false, secondChoice ? InstallMode::CompleteRepair : InstallMode::Repair};
    case Situation::Downgrade:
      // The first choice reads "Abort": it must not go on to overwrite the
      // newer installation.
      if (!secondChoice) return {true, InstallMode::Downgrade};
      return {false, InstallMode::CompleteDowngrade};
  }
  return {false, currentMode};
}

}  // namespace pelmora::pages
