#include "setupdesc/SetupDescReader.h"

#include "contract/PathRules.h"
#include "contract/UninstallEntry.h"
#include "setupdesc/Scramble.h"

namespace pelmora::setupdesc {

const DamageTexts kGermanDamage{"Installationseinstellungen fehlerhaft!\n\npmd-Datei beschädigt: ",
                                ".",
                                "Zeile ",
                                " enthält Binärdaten",
                                " enthält ein Steuerzeichen",
                                " ist zu lang",
                                "Abschnitt ",
                                " ohne ",
                                " hat mehr als ",
                                " Einträge",
                                "die Datei ist leer",
                                "die Datei ist zu groß",
                                "die Datei endet vor Zeile 6",
                                "Zeile 4 (Name des Uninstall-Schlüssels) ist leer oder enthält \\",
                                "Zeile 5 (Zielverzeichnis) ",
                                "ist ein Netzwerkpfad",
                                "ist das Stammverzeichnis eines Laufwerks",
                                "enthält einen Namen, den Windows nicht wie geschrieben annimmt",
                                "liegt im Windows-Ordner",
                                "ist oder enthält einen Ordner von Windows oder aller Benutzer",
                                "ist kein absoluter Pfad wie C:\\Programme\\Produkt",
                                "die Setup-Datei ist unvollständig oder verändert"};

const DamageTexts kEnglishDamage{"damaged description: ",
                                 "",
                                 "line ",
                                 " holds binary data",
                                 " holds a control character",
                                 " is too long",
                                 "section ",
                                 " without ",
                                 " has more than ",
                                 " entries",
                                 "the file is empty",
                                 "the file is too large",
                                 "the file ends before line 6",
                                 "line 4 (the Uninstall key's name) is empty or holds \\",
                                 "line 5 (the default folder) ",
                                 "is a network path",
                                 "is a drive's root folder",
                                 "holds a name Windows does not take as written",
                                 "lies in the Windows folder",
                                 "is or holds a folder of Windows or of all users",
                                 "is no absolute folder such as C:\\Program Files\\Product",
                                 "the setup file is incomplete or altered"};

std::string CarriedDataDamageMessage(const DamageTexts& texts) {
  return std::string(texts.prefix) + texts.carriedData + texts.suffix;
}

namespace {

constexpr std::int32_t kLastOneBasedSlot = 255;   // registry and shortcut slots 1..255
constexpr std::int32_t kLastZeroBasedSlot = 255;  // COM server slots 0..255

// Reads the lines in order and keeps the first reason the file cannot be
// trusted. Once one is found, the walk goes on to the end of the file
// without effect (what it fills in is thrown away): a line that cannot be
// read reads as empty, and a section cut short reads as ended.
class LineCursor {
 public:
  LineCursor(const std::vector<std::string>& lines, const ReaderOptions& options)
      : lines_(lines), options_(options), texts_(*options.damageTexts) {}

  const DamageTexts& Texts() const { return texts_; }

  bool AtEnd() const { return next_ >= lines_.size(); }
  std::size_t LinesRead() const { return next_; }

  void NoteDamage(std::string reason) {
    if (!damage_) damage_ = std::move(reason);
  }
  const std::optional<std::string>& Damage() const { return damage_; }

  // Past the end of the file a read yields an empty line, as plain text-file
  // reading does; the section loops guard against that themselves.
  std::string Read() {
    if (AtEnd()) return {};
    return Decode(next_++);
  }

  // The plain text of the line at `index` (0-based), without reading it.
  std::string Peek(std::size_t index) {
    return index < lines_.size() ? Decode(index) : std::string();
  }

  // A line inside a section that must end with `endMarker`.
  std::string ReadInSection(const char* beginMarker, const char* endMarker) {
    if (AtEnd()) {
      NoteDamage(texts_.section + std::string(beginMarker) + texts_.without + endMarker);
      return endMarker;
    }
    return Read();
  }

  std::optional<std::size_t> SkipRaw() {
    if (AtEnd()) return std::nullopt;
    return next_++;
  }

 private:
  std::string Decode(std::size_t index) {
    const std::string& stored = lines_[index];
    std::string plain =
        options_.decodeLine ? options_.decodeLine(stored) : Unscramble(stored, kDescriptionSeed);
    if (plain.find('\0') != std::string::npos) {
      NoteDamage(texts_.line + std::to_string(index + 1) + texts_.binaryData);
      return {};
    }
    // A line break or another control character (a tab aside) is in no
    // genuine line: it would split a key, a path or a protocol line later,
    // after the installation has begun to change the computer.
    for (const char c : plain)
      if (static_cast<unsigned char>(c) < ' ' && c != '\t') {
        NoteDamage(texts_.line + std::to_string(index + 1) + texts_.controlCharacter);
        return {};
      }
    return plain;
  }

  const std::vector<std::string>& lines_;
  const ReaderOptions& options_;
  const DamageTexts& texts_;
  std::size_t next_ = 0;
  std::optional<std::string> damage_;
};

std::string TooManyEntries(const DamageTexts& t, const char* section, int limit) {
  return t.section + std::string(section) + t.moreThan + std::to_string(limit) + t.entries;
}

const char* DefaultFolderProblem(const DamageTexts& t, contract::Reason reason) {
  switch (reason) {
    case contract::Reason::NetworkPath:
      return t.networkPath;
    case contract::Reason::DriveRoot:
      return t.driveRoot;
    case contract::Reason::InvalidName:
      return t.invalidName;
    case contract::Reason::InsideWindows:
      return t.insideWindows;
    case contract::Reason::SystemFolder:
      return t.systemFolder;
    default:
      return t.notAbsolute;
  }
}

std::string VersionMessage(const std::string& needed, const std::string& found) {
  return "Incorrect Version of Install.pmd!!\rNeeded \"" + needed + "\"\rFound \"" + found + "\"";
}

// Why the file as a whole cannot be trusted, if it cannot.
std::optional<std::string> ShapeDamage(std::string_view bytes,
                                       const std::vector<std::string>& lines,
                                       const DamageTexts& t) {
  if (bytes.empty()) return t.empty;
  if (bytes.size() > kMaxDescriptionBytes) return t.tooBig;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].size() > kMaxLineLength) return t.line + std::to_string(i + 1) + t.tooLong;
  return std::nullopt;
}

class DescriptionWalker {
 public:
  DescriptionWalker(const std::vector<std::string>& lines, SetupDescription& description,
                    const ReaderOptions& options, ReadResult& result)
      : cursor_(lines, options),
        lineCount_(lines.size()),
        d_(description),
        options_(options),
        result_(result) {}

  // Returns false when the version does not match or the file is damaged
  // (Damage() says which).
  bool Walk() {
    const std::string version = cursor_.Read();
    if (cursor_.Damage()) return false;
    if (options_.checkVersion && version != d_.SetupVersion) {
      result_.outcome = ReadOutcome::VersionMismatch;
      result_.message = VersionMessage(d_.SetupVersion, version);
      return false;
    }
    CheckFixedLines();
    if (cursor_.Damage()) return false;
    if (options_.onVersionAccepted && !options_.onVersionAccepted()) {
      result_.outcome = ReadOutcome::Stopped;
      return false;
    }
    ReadFixedLines();
    std::string line = cursor_.Read();
    line = ReadInformation(std::move(line));
    line = ReadRegistry(std::move(line));
    line = ReadComServers(std::move(line));
    ReadShortcuts(line);
    line = cursor_.Read();
    if (line == "<beginsupportinfos>") ReadSupportAndConfig();
    return !cursor_.Damage();
  }

  const std::optional<std::string>& Damage() const { return cursor_.Damage(); }

 private:
  // Checked before the extraction library is written, so that a file that
  // is plainly cut short, would nest the product's entry in another's or
  // touch the whole Uninstall key, or names a default folder no setup would
  // install into leaves nothing behind.
  void CheckFixedLines() {
    const DamageTexts& t = cursor_.Texts();
    if (lineCount_ < 6) return cursor_.NoteDamage(t.endsBeforeLine6);
    const std::string uninstallKey = cursor_.Peek(3);
    if (cursor_.Damage()) return;
    if (contract::CheckUninstallKeyName(uninstallKey)) return cursor_.NoteDamage(t.uninstallKey);
    const std::string target = cursor_.Peek(4);
    if (cursor_.Damage()) return;
    if (const std::optional<contract::Refusal> refusal = contract::CheckDefaultFolder(target))
      cursor_.NoteDamage(t.targetFolder + std::string(DefaultFolderProblem(t, refusal->reason)));
  }

  void ReadFixedLines() {
    result_.titleLabel = cursor_.Read();
    d_.ProductVersion = cursor_.Read();
    d_.ProductName = result_.titleLabel;
    result_.titleLabel = d_.ProductName + " " + d_.ProductVersion;
    d_.UninstallKeyName = cursor_.Read();
    // Read as the target page reads what is typed: "/" is "\".
    result_.targetDirectory = contract::AsTargetText(cursor_.Read());
    const std::string program = cursor_.Read();
    d_.AppExeName = program == ".exe" ? std::string() : program;
  }

  std::string ReadInformation(std::string line) {
    if (line != "<begininfos>") return line;
    do {
      line = cursor_.ReadInSection("<begininfos>", "<endinfos>");
      if (line != "<endinfos>") result_.infoLines.push_back(line);
    } while (line != "<endinfos>");
    return NextUnlessAtEnd(line);
  }

  std::string ReadRegistry(std::string line) {
    d_.RegistryCount = 0;
    if (line != "<beginregistry>") return line;
    do {
      line = cursor_.ReadInSection("<beginregistry>", "<endregistry>");
      if (line != "<endregistry>" && !line.empty()) {
        if (d_.RegistryCount == kLastOneBasedSlot)
          cursor_.NoteDamage(TooManyEntries(cursor_.Texts(), "<beginregistry>", kLastOneBasedSlot));
        else
          d_.RegistryLines[++d_.RegistryCount] = line;
      }
    } while (line != "<endregistry>");
    return NextUnlessAtEnd(line);
  }

  std::string ReadComServers(std::string line) {
    d_.OcxLast = -1;
    if (line != "<beginregisterocx>") return line;
    do {
      line = cursor_.ReadInSection("<beginregisterocx>", "<endregisterocx>");
      if (line != "<endregisterocx>" && !line.empty()) {
        if (d_.OcxLast == kLastZeroBasedSlot)
          cursor_.NoteDamage(
              TooManyEntries(cursor_.Texts(), "<beginregisterocx>", kLastZeroBasedSlot + 1));
        else
          d_.OcxFiles[++d_.OcxLast] = line;
      }
    } while (line != "<endregisterocx>");
    return NextUnlessAtEnd(line);
  }

  // Each entry is four lines; the loop's end test looks at the icon line,
  // so an icon line that reads "<endicons>" also ends the section.
  void ReadShortcuts(std::string line) {
    if (line != "<beginicons>") return;
    d_.IconCount = 0;
    do {
      line = cursor_.ReadInSection("<beginicons>", "<endicons>");
      if (line == "<endicons>") break;
      if (d_.IconCount == kLastOneBasedSlot) {
        cursor_.NoteDamage(TooManyEntries(cursor_.Texts(), "<beginicons>", kLastOneBasedSlot));
        break;
      }
      const int i = ++d_.IconCount;
      d_.IconGroups[i] = line;
      d_.IconNames[i] = cursor_.ReadInSection("<beginicons>", "<endicons>");
      d_.IconTargets[i] = cursor_.ReadInSection("<beginicons>", "<endicons>");
      line = d_.IconFiles[i] = cursor_.ReadInSection("<beginicons>", "<endicons>");
    } while (line != "<endicons>");
  }

  void ReadSupportAndConfig() {
    for (std::string& value : d_.SupportInfo) value = cursor_.Read();
    result_.rawLineIndex = cursor_.SkipRaw();
    std::string line = cursor_.Read();
    if (line != "<beginConfigFiles>") return;
    d_.ConfigFiles.emplace();
    do {
      line = cursor_.ReadInSection("<beginConfigFiles>", "<endConfigFiles>");
      if (line != "<endConfigFiles>") d_.ConfigFiles->push_back(line);
    } while (line != "<endConfigFiles>");
  }

  std::string NextUnlessAtEnd(std::string current) {
    return cursor_.AtEnd() ? current : cursor_.Read();
  }

  LineCursor cursor_;
  std::size_t lineCount_;
  SetupDescription& d_;
  const ReaderOptions& options_;
  ReadResult& result_;
};

}  // namespace

std::vector<std::string> SplitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    const bool terminated = end != std::string_view::npos;
    if (!terminated) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (terminated && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    start = terminated ? end + 1 : end;
  }
  return lines;
}

ReadResult ReadSetupDescription(const std::optional<std::string>& fileBytes,
                                SetupDescription& description, const ReaderOptions& options) {
  ReadResult result;
  description.RegistryCount = 0;
  description.OcxLast = -1;
  description.InstallCompleted = false;
  if (!fileBytes) {
    result.outcome = ReadOutcome::Missing;
    result.message = kMissingFileMessage;
    result.caption = kErrorCaption;
    return result;
  }
  const std::vector<std::string> lines = SplitLines(*fileBytes);
  const DamageTexts& texts = *options.damageTexts;
  std::optional<std::string> damage = ShapeDamage(*fileBytes, lines, texts);
  if (!damage) {
    DescriptionWalker walker(lines, description, options, result);
    if (walker.Walk()) result.outcome = ReadOutcome::Read;
    damage = walker.Damage();
  }
  if (damage) {
    result.outcome = ReadOutcome::Damaged;
    result.message = texts.prefix + *damage + texts.suffix;
    result.caption = kErrorCaption;
  }
  return result;
}

}  // namespace pelmora::setupdesc
