// Why the uninstaller leaves something where it is, and why it refuses a
// protocol as a whole. The texts for both are in UninstallTexts.
#pragma once

namespace pelmora::uninstall {

// One line of the protocol, or one thing the removal met, that stays.
enum class Reason {
  OutsideTarget,    // a path outside the target folder, or on another drive
  ParentReference,  // a path with a "." or ".." component
  NotPlainPath,     // an empty component, a stream (":"), a network or device form, a bad name
  SharedKey,        // a key other software shares (Software, ...\Uninstall, ...)
  ShallowKey,       // an empty key, the root or one level below it
  WrongRoot,        // a key whose "HKEY_..." prefix names the other root
  MalformedKey,     // a key with an empty component
  MalformedGroup,   // a group that is not a plain folder name below Programs
  UnknownLine,      // a line without a known kind marker
  OtherProduct,     // an Uninstall entry that starts the uninstaller with another protocol
  ThroughLink,      // the way to it passes a junction or symbolic link
  InUse,            // in use: removed at the next restart
  HoldsFileInUse,   // a folder left only by files in use: removed at the next restart too
  NotEmpty,         // a folder that still holds files the protocol does not list
  NotUnregistered,  // a COM server whose DllUnregisterServer failed (the file goes anyway)
  Failed,           // Windows refused (access denied and the like)
};

// Why a protocol is not used at all; nothing is changed then.
enum class Rejection {
  NoArgument,               // started without the protocol's path
  Unreadable,               // the file cannot be read
  TooLarge,                 // larger than any protocol could be
  NotAProtocol,             // no header box, binary bytes
  NoTargetFolder,           // no "0" line in the first block
  TargetNotLocal,           // the target has no drive letter, or a bad name
  TargetIsDriveRoot,        // "C:\" would make everything "inside"
  TargetHoldsSystemFolder,  // the Windows, program files or profile folder is (in) the target
  ProtocolOutsideTarget,    // the file does not lie in the target folder it names
};

}  // namespace pelmora::uninstall
