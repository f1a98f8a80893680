// The texts the installation run and its extraction handlers show. Sources
// are UTF-8, the program holds them as Windows-1252 bytes.
//
// Only the status line has an English form. The disk prompt's texts and the
// archive error messages are the same in both languages (German and English
// respectively), and the failures that end the run are the run-time
// library's German texts. Texts shown through the standard error report
// carry no full stop: the report adds it.
#pragma once

#include <string>
#include <string_view>

namespace pelmora::install {

struct StatusTexts {
  const char* extracting;    // before the archive is opened
  const char* registration;  // after it, while the settings are written
  const char* failed;        // after a failure, beside the Cancel button shown then
};
inline constexpr StatusTexts kGermanStatus{"Entpacke Dateien...", "Registrierung...",
                                           "Die Installation ist fehlgeschlagen."};
inline constexpr StatusTexts kEnglishStatus{"Extracting files...", "Registration...",
                                            "The installation failed."};
inline constexpr const StatusTexts& StatusTextsFor(bool english) {
  return english ? kEnglishStatus : kGermanStatus;
}

// Why the installation failed, where Windows said why: the failed status
// ends in ": " and one of these instead of its full stop. A failure
// without such a reason keeps the plain status.
enum class FailureCause { DriveFull, AccessDenied, FileInUse };
struct FailureCauseTexts {
  const char* prefix;  // the failed status up to the reason
  const char* driveFull;
  const char* accessDenied;
  const char* fileInUse;
};
inline constexpr FailureCauseTexts kGermanCauses{
    "Die Installation ist fehlgeschlagen: ", "das Laufwerk ist voll.",
    "der Zugriff wurde verweigert.", "eine Datei wird von einem anderen Programm benutzt."};
inline constexpr FailureCauseTexts kEnglishCauses{"The installation failed: ", "the drive is full.",
                                                  "access was denied.",
                                                  "a file is in use by another program."};
inline std::string FailedStatusText(FailureCause cause, bool english) {
  const FailureCauseTexts& texts = english ? kEnglishCauses : kGermanCauses;
  const char* reason = cause == FailureCause::DriveFull      ? texts.driveFull
                       : cause == FailureCause::AccessDenied ? texts.accessDenied
                                                             : texts.fileInUse;
  return std::string(texts.prefix) + reason;
}

// The volume event: the prompt for a missing volume (its text followed by
// the volume's path), the status while waiting after it, and the status once
// the volume was found.
inline constexpr const char* kDiskPromptCaption = "Achtung!";
inline constexpr const char* kDiskPromptText = "Bitte Datenträger einlegen mit ";
inline constexpr const char* kWaitingForDiskStatus = "Warte auf nächste Diskette...";
inline constexpr const char* kVolumeFoundStatus = "Entpacke...";

// The archive error event. A target file that cannot be replaced
// (ACE_ERR_EXISTS) and a method the library does not accept (ACE_ERR_FORMAT)
// get their own message (caption: the application's title); any other code
// but the end of the archive is shown as its number under
// kArchiveErrorCaption.
inline constexpr const char* kFileExistsText =
    "File already exists and could not be deleted/updated!\n\r"
    "When updating: is the application you want to update running?";
inline constexpr const char* kWrongFormatText =
    "Wrong DATA-format. Please contact author to recompile the SetupData in the proper format!";
inline constexpr const char* kArchiveErrorCaption = "Error!";
inline std::string ArchiveErrorText(int code) { return "Error Code " + std::to_string(code); }

// An entry the archive component refuses because its name is unsafe to
// write (it would reach outside the target directory, names a device or
// holds control characters); the installation stops there.
inline std::string UnsafeEntryText(std::string_view entryName, bool english) {
  const std::string name(entryName);
  return english ? "The archive entry \"" + name +
                       "\" has a name that is not allowed and is not unpacked. "
                       "The installation stops."
                 : "Der Archiveintrag \"" + name +
                       "\" hat einen unzulässigen Namen und wird nicht entpackt. "
                       "Die Installation wird abgebrochen.";
}

// The complete repair's registry keys that the rules keep (too near the
// root, or a key other software or Windows shares), told once before the
// repair goes on without them.
inline std::string KeysKeptText(const std::string& keys, bool english) {
  return english
             ? "The complete repair does not delete these registry keys, which are not the "
               "product's own (Windows or other software shares them, or they lie outside "
               "Software):\n" +
                   keys
             : "Die Komplettreparatur löscht diese Registrierungsschlüssel nicht, weil sie "
               "nicht dem Produkt allein gehören (Windows oder andere Software benutzt sie mit, "
               "oder sie liegen nicht unter Software):\n" +
                   keys;
}

// A folder on the way to an entry's file that is a junction or symbolic
// link: nothing is written through it, and the extraction stops there.
inline std::string ThroughLinkText(std::string_view path, bool english) {
  const std::string file(path);
  return english ? "A folder on the way to \"" + file +
                       "\" is a junction or symbolic link. Nothing is written through it; the "
                       "installation stops."
                 : "Ein Ordner auf dem Weg zu \"" + file +
                       "\" ist eine Verbindung oder ein symbolischer Link. Es wird nichts "
                       "hindurch geschrieben; die Installation wird abgebrochen.";
}

// An earlier protocol in the target folder that no seal vouched for (an
// earlier release wrote it, or it was changed): kept under another name,
// keptAs its full path; the run starts a new protocol beside it.
inline std::string ProtocolSetAsideText(std::string_view keptAs, bool english) {
  const std::string file(keptAs);
  return english
             ? "The uninstall protocol found in the target folder carries no seal of this "
               "setup (an earlier release wrote it, or it was changed). It is kept as \"" +
                   file + "\"; the uninstaller does not remove what only that file lists."
             : "Das im Zielordner gefundene Deinstallationsprotokoll trägt kein Siegel "
               "dieses Setups (eine frühere Version hat es geschrieben, oder es wurde "
               "verändert). Es bleibt als \"" +
                   file + "\" erhalten; was nur darin steht, entfernt die Deinstallation nicht.";
}

// A COM server whose registration failed: this text followed by its path,
// as a plain notice; the run goes on.
inline constexpr const char* kRegisterFailedText = "Failed to register ";

// Failures that end the run, shown through the standard error report.
inline std::string KeyCreationFailedText(std::string_view keyPath) {
  return "Erzeugung von Schlüssel " + std::string(keyPath) + " mißlungen";
}
inline std::string ValueWriteFailedText(std::string_view valueName) {
  return "Fehler beim Setzen der Daten für '" + std::string(valueName) + "'";
}
// The failed read or write's text ("E/A-Fehler <code>") is
// common/IoErrorText.h, shared with the description file's reading.

}  // namespace pelmora::install
