// The uninstall protocol: what one installation run put on the computer, as
// lines of ANSI text that the uninstaller reads back later. Each run builds
// one block in memory (header box, date line, its entries, trailer) and
// appends it behind the blocks earlier runs left in the target directory's
// protocol file (contract/ProductFiles.h); a block already in the file is
// never rewritten. The setup writes it, the uninstaller reads it: both
// through this file, which alone knows the markers and the fixed lines.
//
// Every line starts with its kind marker: "/" comment, "0" folder, "1" file,
// "r0" key under HKEY_LOCAL_MACHINE, "r1" key under HKEY_CURRENT_USER, "o"
// registered COM server, "g" Start-menu group. Texts are taken as the bytes
// they are (Windows-1252 on a German or English system) and never converted.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contract/Refusal.h"

namespace pelmora::contract {

// What a line records, told by the marker it starts with.
enum class LineKind { Comment, Folder, File, MachineKey, UserKey, ComServer, Group, Unknown };

class Protocol {
 public:
  // The header box, "/Date: <date> - Time: <time>", the target directory as
  // a folder and the protocol file itself. `date` and `time` come formatted
  // in the system's short date and long time format; `targetDirectory`
  // ends in "\".
  void AddHeader(std::string_view targetDirectory, std::string_view date, std::string_view time);

  // One line per archive entry the extract pass meets, extracted or not:
  // a name holding a "." is recorded as a file, any other as a folder (so a
  // file without an extension counts as a folder, as the uninstaller expects).
  void AddEntry(std::string_view targetDirectory, std::string_view entryName);

  void AddFolder(std::string_view path) { Add(LineKind::Folder, path); }
  void AddFile(std::string_view path) { Add(LineKind::File, path); }
  // Key paths below HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER.
  void AddMachineKey(std::string_view keyPath) { Add(LineKind::MachineKey, keyPath); }
  void AddUserKey(std::string_view keyPath) { Add(LineKind::UserKey, keyPath); }
  void AddComServer(std::string_view path) { Add(LineKind::ComServer, path); }
  // The bare group name, not a path; an empty name gives the line "g".
  void AddGroup(std::string_view groupName) { Add(LineKind::Group, groupName); }

  // "/end of installation", "/File created by Pelmora <setupVersion>" and
  // "/installation duration: <duration>", the duration formatted like a
  // time of day in the system's long time format (see ElapsedAsTimeOfDay).
  void AddTrailer(std::string_view setupVersion, std::string_view duration);

  const std::vector<std::string>& Lines() const { return lines_; }

  // The block as it goes into the file: every line followed by CR LF.
  std::string Bytes() const;

  // A text holding CR, LF or NUL would split into lines the uninstaller
  // reads as entries of their own: every Add refuses it and adds nothing.
  // The first refusal (SplitsLine), kept here, tells the run that its
  // protocol is not whole.
  const std::optional<contract::Refusal>& Refused() const { return refusal_; }

 private:
  void Add(LineKind kind, std::string_view text);
  void AddComment(std::string_view line);
  // False (and the refusal noted) for a text that would split.
  bool IsSingleLine(std::string_view marker, std::string_view text);

  std::vector<std::string> lines_;
  std::optional<contract::Refusal> refusal_;
};

// The run's duration shown as a time of day: whole seconds (a started second
// does not count), wrapping after 24 hours; a clock set back in between
// counts as no time.
struct TimeOfDay {
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
};
TimeOfDay ElapsedAsTimeOfDay(std::chrono::milliseconds elapsed);

// Reading a protocol file back.

struct ProtocolLine {
  LineKind kind = LineKind::Unknown;
  std::string text;  // the line without its marker (for Unknown: the whole line)
};

ProtocolLine ParseProtocolLine(std::string_view line);

struct ProtocolBlock {
  std::vector<std::string> lines;  // without their line ends
  // Begins with the header box; only lines in front of a file's first box
  // make a block without one.
  bool headed = false;
  // Headed and ends with the duration line. A block cut short (a write that
  // failed part way) is kept, marked false.
  bool complete = false;
};

// Splits a protocol file into its blocks: each begins at a header box. Lines
// end in CR LF; a bare LF is accepted as well, and a last line without an end.
std::vector<ProtocolBlock> SplitProtocol(std::string_view fileBytes);

}  // namespace pelmora::contract
