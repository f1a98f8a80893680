// Why the uninstaller refuses a protocol as a whole; the reasons for
// single lines and things are the contract's. The texts for both are in
// UninstallTexts.
#pragma once

#include "contract/Reasons.h"

namespace pelmora::uninstall {

using contract::Reason;

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
  NotVouched,               // no Uninstall entry that names the file holds its digest
  Altered,                  // the entries hold digests, none of them the file's
};

}  // namespace pelmora::uninstall
