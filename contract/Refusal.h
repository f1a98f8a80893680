// The one answer of a portable rule that says no: why, and, where the words
// need it, what was refused. Every check of the portable logic that can
// refuse returns it: std::optional<Refusal> (nothing: it passes) or
// std::variant<Value, Refusal> when it yields a value too. The words are the
// programs' own; each words the reasons its users can meet.
#pragma once

#include <string>
#include <utility>

namespace pelmora::contract {

enum class Reason {
  // A protocol line (or a description's key) the one rule refuses.
  OutsideTarget,    // a path outside the target folder, or on another drive
  ParentReference,  // a path with a "." or ".." component
  NotPlainPath,     // an empty component, a stream (":"), a network or device form, a bad name
  SharedKey,        // a key other software shares (Software, ...\Uninstall, ...)
  ShallowKey,       // an empty key or the root itself
  OutsideSoftware,  // a settings key outside Software (Control Panel, Identities, ...)
  WrongRoot,        // a key whose "HKEY_..." prefix names the other root
  NotProductEntry,  // a key of the list of installed programs that is not the product's own
  MalformedKey,     // a key with an empty component
  MalformedGroup,   // a group that is not a plain folder name below Programs
  UnknownLine,      // a line without a known kind marker

  // A thing the removal met and could not or would not remove.
  OtherProduct,     // an Uninstall entry that starts the uninstaller with another protocol
  ThroughLink,      // the way to it passes a junction or symbolic link
  InUse,            // in use by a program: to be deleted after closing it
  ServerChanged,    // a COM server that is not the file the setup registered: not loaded
  NotEmpty,         // a folder that still holds files the protocol does not list
  KeyNotEmpty,      // a vendor's key that still holds what the protocol does not list
  NotUnregistered,  // a COM server whose DllUnregisterServer failed (the file goes anyway)
  Failed,           // Windows refused (access denied and the like)

  // A folder that cannot be a product's target folder.
  NotAbsolute,    // no drive letter and root: "Programme\Tool", "C:Tool"
  NetworkPath,    // "\\server\share\...": the two programs may see other things there
  InvalidName,    // a name Windows does not allow, or one it would change
  DriveRoot,      // "C:\": everything on the drive would count as the product's
  SystemFolder,   // is or holds a folder of Windows or of all users
  InsideWindows,  // lies in the Windows folder

  // A protocol the uninstaller does not use at all (its target folder may
  // be refused for one of the reasons above as well); nothing is changed.
  NoArgument,             // started without the protocol's path
  Unreadable,             // the file cannot be read
  TooLarge,               // larger than any protocol could be
  NotAProtocol,           // no header box, binary bytes
  NoTargetFolder,         // no "0" line in the first block
  ProtocolOutsideTarget,  // the file does not lie in the target folder it names
  NotVouched,             // no Uninstall entry that names the file holds its digest
  // Run with administrator rights: only an entry the user's own programs
  // can write holds the digest, no seal below HKEY_LOCAL_MACHINE does.
  UserVouchedOnly,
  Altered,  // the entries hold digests, none of them the file's

  // A text the protocol would have to split into lines of their own;
  // detail: the line it was meant for and the text.
  SplitsLine,

  // A version component that is not a decimal integer; detail: the component.
  NotAnInteger,

  // A folder of the target's chain (the drive root down to the target) that
  // an account other than the installing one, Administrators, SYSTEM and
  // TrustedInstaller could change under an elevated program; detail: the
  // folder.
  LinkedFolder,        // a junction or symbolic link, or one that cannot be examined
  ReplaceableFolder,   // another account may rename, delete or replace it
  ForeignPermissions,  // another account owns it or may change its permissions or owner
  WritableTarget,      // another account may write into the target or what is made in it

  // A command line holds a switch the program does not know, one in a form
  // it cannot take (without its value, given twice), or a second protocol;
  // detail: that word as written. Nothing is done.
  UnknownSwitch,
  // The log asked for cannot be opened for appending (or is a link, a
  // folder or a file with a second name); detail: its path. Nothing is done.
  LogNotWritable,
};

struct Refusal {
  // A reason alone is a refusal: most checks need no more words.
  Refusal(Reason why) : reason(why) {}
  Refusal(Reason why, const std::string& what) : reason(why), detail(what) {}
  Refusal(Reason why, std::string&& what) : reason(why), detail(std::move(what)) {}

  Reason reason;
  std::string detail;  // empty unless the reason says what it holds
};

}  // namespace pelmora::contract
