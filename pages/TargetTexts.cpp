#include "pages/TargetTexts.h"

namespace pelmora::pages {

std::string TargetRefusedText(contract::Reason reason, bool english) {
  using contract::Reason;
  switch (reason) {
    case Reason::NotAbsolute:
      return english
                 ? "Please enter a full path with a drive letter, such as C:\\Programs\\Product."
                 : "Bitte geben Sie einen vollständigen Pfad mit Laufwerksbuchstaben an, etwa "
                   "C:\\Programme\\Produkt.";
    case Reason::NetworkPath:
      return english ? "The product cannot be installed into a network folder. Please choose a "
                       "folder on a local drive."
                     : "Das Produkt kann nicht in einen Netzwerkordner installiert werden. Bitte "
                       "wählen Sie einen Ordner auf einem lokalen Laufwerk.";
    case Reason::InvalidName:
      return english
                 ? "The path holds a name Windows does not allow: one of the characters "
                   "\\ / : * ? \" < > |, a control character, \".\" or \"..\", or a name "
                   "ending in a dot or blank."
                 : "Der Pfad enthält einen Namen, den Windows nicht erlaubt: eines der Zeichen "
                   "\\ / : * ? \" < > |, ein Steuerzeichen, \".\" oder \"..\" oder einen Namen, "
                   "der mit einem Punkt oder Leerzeichen endet.";
    case Reason::DriveRoot:
      return english ? "The product cannot be installed into the root of a drive. Please choose a "
                       "folder."
                     : "Das Produkt kann nicht in das Stammverzeichnis eines Laufwerks installiert "
                       "werden. Bitte wählen Sie einen Ordner.";
    case Reason::SystemFolder:
      return english ? "This folder belongs to Windows or to all users (such as the program files "
                       "or a profile folder). Please choose a folder of the product's own, such as "
                       "one below it."
                     : "Dieser Ordner gehört Windows oder allen Benutzern (etwa der Programm- oder "
                       "ein Profilordner). Bitte wählen Sie einen eigenen Ordner für das Produkt, "
                       "etwa einen darunter.";
    case Reason::InsideWindows:
      return english ? "The product cannot be installed into the Windows folder. Please choose "
                       "another folder."
                     : "Das Produkt kann nicht in den Windows-Ordner installiert werden. Bitte "
                       "wählen Sie einen anderen Ordner.";
    default:  // no reason the target rule gives
      break;
  }
  return {};
}

std::string TargetRefusedText(const contract::Refusal& refusal, bool english) {
  using contract::Reason;
  const std::string folder = "\"" + refusal.detail + "\"";
  std::string why;
  switch (refusal.reason) {
    case Reason::LinkedFolder:
      why = english ? "The folder " + folder +
                          " is a junction or symbolic link, or its attributes or permissions "
                          "cannot be read."
                    : "Der Ordner " + folder +
                          " ist eine Verbindung oder ein symbolischer Link, oder seine Attribute "
                          "oder Berechtigungen können nicht gelesen werden.";
      break;
    case Reason::ReplaceableFolder:
      why = english ? "Other users may rename, delete or replace the folder " + folder + "."
                    : "Andere Benutzer dürfen den Ordner " + folder +
                          " umbenennen, löschen oder ersetzen.";
      break;
    case Reason::ForeignPermissions:
      why = english ? "The folder " + folder +
                          " belongs to another user, or other users may change its permissions."
                    : "Der Ordner " + folder +
                          " gehört einem anderen Benutzer, oder andere Benutzer dürfen seine "
                          "Berechtigungen ändern.";
      break;
    case Reason::WritableTarget:
      why = english ? "Other users may write into the folder " + folder +
                          " or change what is put into it."
                    : "Andere Benutzer dürfen in den Ordner " + folder +
                          " schreiben oder ändern, was darin abgelegt wird.";
      break;
    default:
      return TargetRefusedText(refusal.reason, english);
  }
  return why + (english ? " With administrator rights the product is not installed there: other "
                          "users could change what is installed and run. Please choose another "
                          "folder, such as one in the program files folder."
                        : " Mit Administratorrechten wird das Produkt dort nicht installiert: "
                          "Andere Benutzer könnten ändern, was installiert und ausgeführt wird. "
                          "Bitte wählen Sie einen anderen Ordner, etwa einen im Programmordner.");
}

}  // namespace pelmora::pages
