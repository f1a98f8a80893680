// Why something stays where it is: a line the rules refuse (the setup's,
// the uninstaller's and the packer's one rule), or a thing the removal met
// and could not or would not remove. The texts are the programs' own.
#pragma once

namespace pelmora::contract {

// One line of the protocol, or one thing the removal met, that stays.
enum class Reason {
  OutsideTarget,    // a path outside the target folder, or on another drive
  ParentReference,  // a path with a "." or ".." component
  NotPlainPath,     // an empty component, a stream (":"), a network or device form, a bad name
  SharedKey,        // a key other software shares (Software, ...\Uninstall, ...)
  ShallowKey,       // an empty key, the root or one level below it
  WrongRoot,        // a key whose "HKEY_..." prefix names the other root
  NotProductEntry,  // a key of the list of installed programs that is not the product's own
  MalformedKey,     // a key with an empty component
  MalformedGroup,   // a group that is not a plain folder name below Programs
  UnknownLine,      // a line without a known kind marker
  OtherProduct,     // an Uninstall entry that starts the uninstaller with another protocol
  ThroughLink,      // the way to it passes a junction or symbolic link
  InUse,            // in use by a program: to be deleted after closing it
  ServerChanged,    // a COM server that is not the file the setup registered: not loaded
  NotEmpty,         // a folder that still holds files the protocol does not list
  NotUnregistered,  // a COM server whose DllUnregisterServer failed (the file goes anyway)
  Failed,           // Windows refused (access denied and the like)
};

}  // namespace pelmora::contract
