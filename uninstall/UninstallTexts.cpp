#include "uninstall/UninstallTexts.h"

#include "contract/ProductFiles.h"
#include "contract/Seal.h"
#include "contract/UninstallEntry.h"

namespace pelmora::uninstall {
namespace {

std::string_view Pick(bool english, std::string_view englishText, std::string_view germanText) {
  return english ? englishText : germanText;
}

std::string Count(std::size_t n, std::string_view one, std::string_view many) {
  std::string text = std::to_string(n);
  text += ' ';
  text += n == 1 ? one : many;
  return text;
}

}  // namespace

std::string_view UninstallTitle(bool english) {
  return Pick(english, "Uninstall", "Deinstallation");
}

std::string ConfirmationText(std::string_view product, bool english) {
  const std::string name(product);
  return english ? "Do you want to remove \"" + name + "\" and all of its components?"
                 : "Wollen Sie \"" + name + "\" mit allen Komponenten entfernen?";
}

std::string ProgressText(std::string_view what, bool english) {
  return std::string(Pick(english, "Removing: ", "Entferne: ")) + std::string(what);
}

std::string RejectionText(Reason reason, std::string_view path, bool english) {
  // "@" stands for the quoted path, "#" for the protocol's file
  // name. Filling one template per text keeps the program small: each chain
  // of concatenations was code of its own.
  std::string_view text;
  switch (reason) {
    case Reason::NoArgument:
      text = Pick(english,
                  "Start the uninstaller with the path of the product's protocol file (#) "
                  "as its argument (beside /S or /LOG= if given).",
                  "Starten Sie die Deinstallation mit dem Pfad der Protokolldatei des "
                  "Produkts (#) als Argument (neben /S oder /LOG=, wenn angegeben).");
      break;
    case Reason::Unreadable:
      text = Pick(english, "The file @ cannot be read.", "Die Datei @ kann nicht gelesen werden.");
      break;
    case Reason::TooLarge:
      text = Pick(english, "The file @ is too large for an uninstall protocol.",
                  "Die Datei @ ist zu groß für ein Deinstallationsprotokoll.");
      break;
    case Reason::NotAProtocol:
      text = Pick(english, "The file @ is not an uninstall protocol.",
                  "Die Datei @ ist kein Deinstallationsprotokoll.");
      break;
    case Reason::NoTargetFolder:
      text = Pick(english, "The protocol @ names no target folder.",
                  "Das Protokoll @ nennt keinen Zielordner.");
      break;
    case Reason::NotAbsolute:
    case Reason::NetworkPath:
    case Reason::InvalidName:
      text = Pick(english, "The protocol @ names a target folder that is not a local folder.",
                  "Das Protokoll @ nennt als Zielordner keinen lokalen Ordner.");
      break;
    case Reason::DriveRoot:
      text = Pick(english, "The protocol @ names a whole drive as its target folder.",
                  "Das Protokoll @ nennt ein ganzes Laufwerk als Zielordner.");
      break;
    case Reason::SystemFolder:
    case Reason::InsideWindows:
      text = Pick(english,
                  "The protocol @ names a folder of Windows or of all users (such as the "
                  "Windows, program files or profile folder), one holding it or one in the "
                  "Windows folder as its target folder.",
                  "Das Protokoll @ nennt einen Ordner von Windows oder aller Benutzer (etwa den "
                  "Windows-, Programm- oder Profilordner), einen Ordner darüber oder einen im "
                  "Windows-Ordner als Zielordner.");
      break;
    case Reason::NotVouched:
      text = Pick(english,
                  "The protocol @ cannot be trusted: no entry in Windows' list of installed "
                  "programs vouches for it (the setup keeps a check value of the protocol "
                  "there).",
                  "Dem Protokoll @ kann nicht vertraut werden: Kein Eintrag in der "
                  "Windows-Liste der installierten Programme bürgt dafür (das Setup hinterlegt "
                  "dort einen Prüfwert des Protokolls).");
      break;
    case Reason::UserVouchedOnly:
      text = Pick(english,
                  "The protocol @ cannot be trusted with administrator rights: only an entry "
                  "that every program of the user can change vouches for it, no seal that a "
                  "setup with administrator rights kept.",
                  "Dem Protokoll @ kann mit Administratorrechten nicht vertraut werden: Nur ein "
                  "Eintrag, den jedes Programm des Benutzers ändern kann, bürgt dafür, kein "
                  "Siegel, das ein Setup mit Administratorrechten hinterlegt hat.");
      break;
    case Reason::Altered:
      text = Pick(english,
                  "The protocol @ has been changed since the setup wrote it: its check value "
                  "is not the one in Windows' list of installed programs.",
                  "Das Protokoll @ wurde verändert, seit das Setup es geschrieben hat: Sein "
                  "Prüfwert ist nicht der in der Windows-Liste der installierten Programme.");
      break;
    case Reason::ProtocolOutsideTarget:
      text = Pick(english, "The protocol @ does not lie in the target folder it names.",
                  "Das Protokoll @ liegt nicht in dem Zielordner, den es nennt.");
      break;
    // "@" is the folder of the target's chain that other accounts could change.
    case Reason::LinkedFolder:
      text = Pick(english,
                  "The folder @ on the way to the product is a junction or symbolic link, or its "
                  "attributes or permissions cannot be read: what lies behind it may not be the "
                  "product's.",
                  "Der Ordner @ auf dem Weg zum Produkt ist eine Verbindung oder ein symbolischer "
                  "Link, oder seine Attribute oder Berechtigungen können nicht gelesen werden: "
                  "Was dahinter liegt, gehört vielleicht nicht zum Produkt.");
      break;
    case Reason::ReplaceableFolder:
      text = Pick(english,
                  "Other users may rename, delete or replace the folder @ on the way to the "
                  "product: what lies there now may not be the product's.",
                  "Andere Benutzer dürfen den Ordner @ auf dem Weg zum Produkt umbenennen, "
                  "löschen oder ersetzen: Was jetzt dort liegt, gehört vielleicht nicht zum "
                  "Produkt.");
      break;
    case Reason::ForeignPermissions:
      text = Pick(english,
                  "The folder @ on the way to the product belongs to another user, or other "
                  "users may change its permissions: what lies there now may not be the "
                  "product's.",
                  "Der Ordner @ auf dem Weg zum Produkt gehört einem anderen Benutzer, oder "
                  "andere Benutzer dürfen seine Berechtigungen ändern: Was jetzt dort liegt, "
                  "gehört vielleicht nicht zum Produkt.");
      break;
    case Reason::WritableTarget:
      text = Pick(english,
                  "Other users may write into the product's folder @: its files may no longer "
                  "be the product's, and with administrator rights none of them is loaded.",
                  "Andere Benutzer dürfen in den Ordner @ des Produkts schreiben: Seine Dateien "
                  "gehören vielleicht nicht mehr zum Produkt, und mit Administratorrechten wird "
                  "keine davon geladen.");
      break;
    // "@" is the word of the command line that is not understood.
    case Reason::UnknownSwitch:
      text = Pick(english,
                  "The uninstaller does not understand @ on its command line. It takes /S (no "
                  "window), /LOG=<file> (a log of the run) and the path of the product's "
                  "protocol file (#).",
                  "Die Deinstallation versteht @ in ihrer Befehlszeile nicht. Sie nimmt /S (kein "
                  "Fenster), /LOG=<Datei> (ein Log des Laufs) und den Pfad der Protokolldatei "
                  "des Produkts (#) an.");
      break;
    // "@" is the log file asked for.
    case Reason::LogNotWritable:
      text = Pick(english,
                  "The log file @ cannot be written: it cannot be opened, or it is a link, a "
                  "folder or a file with a second name.",
                  "Die Logdatei @ kann nicht geschrieben werden: Sie lässt sich nicht "
                  "öffnen, oder sie ist ein Link, ein Ordner oder eine Datei mit einem "
                  "zweiten Namen.");
      break;
    default:  // a reason for a single line or thing, never for the whole protocol
      break;
  }
  std::string filled;
  for (const char c : text) {
    if (c == '#') {
      filled += contract::kProtocolLineName;
    } else if (c == '@') {
      filled += '"';
      filled += path;
      filled += '"';
    } else {
      filled += c;
    }
  }
  filled += Pick(english, " Nothing was removed.", " Es wurde nichts entfernt.");
  return filled;
}

std::string_view ReasonText(Reason reason, bool english) {
  switch (reason) {
    case Reason::OutsideTarget:
      return Pick(english, "refused: outside the target folder",
                  "abgelehnt: außerhalb des Zielordners");
    case Reason::ParentReference:
      return Pick(english, "refused: path with \".\" or \"..\"",
                  "abgelehnt: Pfad mit \".\" oder \"..\"");
    case Reason::NotPlainPath:
      return Pick(english, "refused: not a plain local path",
                  "abgelehnt: kein einfacher lokaler Pfad");
    case Reason::SharedKey:
      return Pick(english, "refused: key shared with other software",
                  "abgelehnt: Schlüssel, den andere Software mitbenutzt");
    case Reason::ShallowKey:
      return Pick(english, "refused: the root key itself", "abgelehnt: der Stammschlüssel selbst");
    case Reason::OutsideSoftware:
      return Pick(english, "refused: not below Software", "abgelehnt: nicht unter Software");
    case Reason::WrongRoot:
      return Pick(english, "refused: names another registry root",
                  "abgelehnt: nennt einen anderen Stammschlüssel");
    case Reason::NotProductEntry:
      return Pick(english, "refused: not the product's own entry in the list of programs",
                  "abgelehnt: nicht der eigene Eintrag des Produkts in der Programmliste");
    case Reason::MalformedKey:
      return Pick(english, "refused: malformed key", "abgelehnt: fehlerhafter Schlüssel");
    case Reason::MalformedGroup:
      return Pick(english, "refused: not a Start menu group", "abgelehnt: keine Startmenü-Gruppe");
    case Reason::UnknownLine:
      return Pick(english, "refused: unknown protocol line",
                  "abgelehnt: unbekannte Protokollzeile");
    case Reason::OtherProduct:
      return Pick(english, "refused: another product's Uninstall entry",
                  "abgelehnt: Deinstallationseintrag eines anderen Produkts");
    case Reason::ThroughLink:
      return Pick(english, "refused: reached through a junction or link",
                  "abgelehnt: über eine Verbindung oder einen Link erreicht");
    case Reason::InUse:
      return Pick(english, "in use — delete it after closing the program",
                  "in Gebrauch — nach dem Schließen des Programms löschen");
    case Reason::ServerChanged:
      return Pick(
          english, "not the file the setup registered: not loaded, not unregistered",
          "nicht die Datei, die das Setup registriert hat: nicht geladen, nicht abgemeldet");
    case Reason::NotEmpty:
      return Pick(english, "folder not empty: holds files that are not the product's",
                  "Ordner nicht leer: enthält Dateien, die nicht zum Produkt gehören");
    case Reason::KeyNotEmpty:
      return Pick(english, "key not empty: holds keys or values that are not the product's",
                  "Schlüssel nicht leer: enthält Schlüssel oder Werte, die nicht zum Produkt "
                  "gehören");
    case Reason::NotUnregistered:
      return Pick(english, "COM server could not be unregistered",
                  "COM-Server konnte nicht abgemeldet werden");
    case Reason::Failed:
      return Pick(english, "could not be removed", "konnte nicht entfernt werden");
    default:  // a reason for the whole protocol or another program's
      break;
  }
  return {};
}

std::string LeftItemText(const LeftItem& item, bool english) {
  std::string text = item.refusal.detail;
  text += " (";
  text += ReasonText(item.refusal.reason, english);
  if (item.code != 0) {
    text += Pick(english, ", error ", ", Fehler ");
    text += std::to_string(item.code);
  }
  text += ')';
  return text;
}

std::string StartedLine(std::string_view commandLine, bool english) {
  return std::string(Pick(english, "Uninstaller started: ", "Deinstallation gestartet: ")) +
         std::string(commandLine);
}

std::string RemovedLine(const GoneItem& item, bool english) {
  static constexpr std::string_view kEnglish[] = {"file", "folder", "registry key", "shortcut",
                                                  "COM server"};
  static constexpr std::string_view kGerman[] = {"Datei", "Ordner", "Registrierungsschlüssel",
                                                 "Verknüpfung", "COM-Server"};
  const auto kind = static_cast<std::size_t>(item.kind);
  std::string_view name = Pick(english, kEnglish[kind], kGerman[kind]);
  // The keys that vouched for the product are named as what they were.
  const std::size_t rootEnd = item.what.find('\\');
  const std::string_view key =
      std::string_view(item.what).substr(rootEnd == std::string::npos ? 0 : rootEnd + 1);
  if (item.kind == Kind::Key && contract::UninstallEntryOf(key) == key)
    name = Pick(english, "Uninstall entry", "Deinstallationseintrag");
  if (item.kind == Kind::Key && key.starts_with(contract::kSealsKey))
    name = Pick(english, "seal", "Siegel");
  std::string line(item.kind == Kind::Server ? Pick(english, "Unregistered ", "Abgemeldet: ")
                                             : Pick(english, "Removed ", "Entfernt: "));
  line += name;
  line += english ? ": " : " ";
  line += item.what;
  return line;
}

std::string LeftLine(const LeftItem& item, bool english) {
  return std::string(Pick(english, "Left: ", "Nicht entfernt: ")) + LeftItemText(item, english);
}

std::string RefusedLine(std::string_view text, bool english) {
  return std::string(Pick(english, "Refused: ", "Abgelehnt: ")) + std::string(text);
}

std::string_view AnsweredNoLine(bool english) {
  return Pick(english, "Refused: the question was answered No. Nothing was removed.",
              "Abgelehnt: Die Frage wurde mit Nein beantwortet. Es wurde nichts entfernt.");
}

std::string EndLine(int exitCode, unsigned long seconds, bool english) {
  std::string line(Pick(english, "Exit code ", "Exitcode "));
  line += std::to_string(exitCode);
  line += Pick(english, ", total time ", ", Gesamtdauer ");
  line += std::to_string(seconds / 3600);
  for (const unsigned long part : {seconds / 60 % 60, seconds % 60}) {
    line += part < 10 ? ":0" : ":";
    line += std::to_string(part);
  }
  line += '.';
  return line;
}

std::string SummaryHeadline(std::string_view product, const Outcome& outcome, bool english) {
  std::string text = "\"";
  text += product;
  text += '"';
  if (outcome.left.empty()) {
    text += Pick(english, " has been removed.", " wurde entfernt.");
  } else {
    text += Pick(english, " has been removed in part.", " wurde teilweise entfernt.");
  }
  return text;
}

std::string SummaryText(std::string_view product, const Outcome& outcome, bool english,
                        std::size_t maxItems) {
  std::string text = SummaryHeadline(product, outcome, english);
  const Removed& r = outcome.removed;
  // Appended piece by piece: one chain of concatenations per language was
  // the uninstaller's largest function.
  const struct {
    std::size_t count;
    std::string_view englishOne, englishMany, germanOne, germanMany;
  } counts[] = {
      {r.files, "file", "files", "Datei", "Dateien"},
      {r.folders, "folder", "folders", "Ordner", "Ordner"},
      {r.keys, "registry key", "registry keys", "Registrierungsschlüssel",
       "Registrierungsschlüssel"},
      {r.shortcuts, "shortcut", "shortcuts", "Verknüpfung", "Verknüpfungen"},
      {r.servers, "COM server", "COM servers", "COM-Server", "COM-Server"},
  };
  text += Pick(english, "\r\n\r\nRemoved: ", "\r\n\r\nEntfernt: ");
  for (const auto& count : counts) {
    if (&count != counts) text += ", ";
    text += Count(count.count, Pick(english, count.englishOne, count.germanOne),
                  Pick(english, count.englishMany, count.germanMany));
  }
  text += Pick(english, " unregistered.", " abgemeldet.");
  if (outcome.left.empty()) return text;

  text += Pick(english, "\r\n\r\nLeft in place:", "\r\n\r\nNicht entfernt:");
  for (std::size_t i = 0; i < outcome.left.size() && i < maxItems; ++i) {
    text += "\r\n";
    text += LeftItemText(outcome.left[i], english);
  }
  if (outcome.left.size() > maxItems) {
    text += Pick(english, "\r\n... and ", "\r\n... und ");
    text += std::to_string(outcome.left.size() - maxItems);
    text += Pick(english, " more.", " weitere.");
  }
  return text;
}

}  // namespace pelmora::uninstall
