// Reads install.pmd into a SetupDescription. Portable: it takes the file's
// bytes and reports an outcome with the message to show; the window code
// shows it and fills the page controls from the result.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "setupdesc/SetupDescription.h"

namespace pelmora::setupdesc {

enum class ReadOutcome {
  Missing,          // no install.pmd beside the program
  VersionMismatch,  // line 1 is not the program's own version
  Damaged,          // the file cannot be trusted; nothing may be installed from it
  Stopped,          // onVersionAccepted said no; it has told the user why
  Read,
};

// Limits that no genuine description comes near; beyond them the file is
// taken as damaged instead of being read into memory.
inline constexpr std::size_t kMaxDescriptionBytes = 16u * 1024u * 1024u;
inline constexpr std::size_t kMaxLineLength = 65536;

struct ReadResult {
  ReadOutcome outcome = ReadOutcome::Read;
  // For every outcome but Read and Stopped: the message box text, and its caption
  // (empty caption: a plain message under the application title).
  std::string message;
  std::string caption;

  // What the reader puts into page controls: the welcome page's title, the
  // target directory edit (ends in "\"), the information memo.
  std::string titleLabel;
  std::string targetDirectory;
  std::vector<std::string> infoLines;

  // The line after the support values is read without unscrambling; its
  // 0-based line number, when the reader got that far.
  std::optional<std::size_t> rawLineIndex;
};

// The words of the damage message: German is what the setup program shows
// (whatever its language); the authoring tools speak English.
struct DamageTexts {
  const char* prefix;  // before the reason
  const char* suffix;  // after it
  const char* line;    // "line " before a 1-based number
  const char* binaryData;
  const char* controlCharacter;
  const char* tooLong;
  const char* section;  // before a section's begin marker
  const char* without;  // between the begin and the missing end marker
  const char* moreThan;
  const char* entries;
  const char* empty;
  const char* tooBig;
  const char* endsBeforeLine6;
  const char* uninstallKey;  // line 4's problem, whole
  const char* targetFolder;  // line 5, before the folder's problem
  const char* networkPath;
  const char* driveRoot;
  const char* invalidName;
  const char* insideWindows;
  const char* systemFolder;
  const char* notAbsolute;
  // A one-file setup whose carried description and archive are cut or
  // changed (contract/CarriedData.h), whole.
  const char* carriedData;
};
extern const DamageTexts kGermanDamage;
extern const DamageTexts kEnglishDamage;

struct ReaderOptions {
  // Turns a stored line into plain text. Unset: unscramble with the
  // description seed. The authoring tool passes the identity to walk a
  // plain description.
  std::function<std::string(std::string_view)> decodeLine;
  // Runs once the version line has been accepted, before anything else is
  // read; it writes the extraction library. When it returns false, the
  // reading ends there (Stopped).
  std::function<bool()> onVersionAccepted;
  bool checkVersion = true;
  const DamageTexts* damageTexts = &kGermanDamage;
};

// Splits file bytes into lines: CR LF or LF end a line; a last line without
// an end counts; nothing follows a final line end.
std::vector<std::string> SplitLines(std::string_view bytes);

// `fileBytes` is empty when install.pmd does not exist. The caller has set
// description.SetupVersion; RegistryCount, OcxLast and InstallCompleted are
// reset here.
ReadResult ReadSetupDescription(const std::optional<std::string>& fileBytes,
                                SetupDescription& description, const ReaderOptions& options = {});

// The damage message for carried data that fails its checks; shown under
// kErrorCaption, as the reader's damage messages are.
std::string CarriedDataDamageMessage(const DamageTexts& texts = kGermanDamage);

// The missing-file message; the reader returns it too.
inline constexpr const char* kMissingFileMessage =
    "Installationseinstellungen fehlerhaft!\n\npmd-Datei nicht gefunden!";
inline constexpr const char* kErrorCaption = "Fehler!!";

}  // namespace pelmora::setupdesc
