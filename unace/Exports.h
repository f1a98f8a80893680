// Prototypes of the library's five exports, for the library itself and for
// programs that link it directly (its tests). The installer finds them by
// name at run time instead.
#pragma once

#include "unace/UnAceApi.h"

extern "C" {
ACEHandle UNACE_CALL ACEOpenArchive(TACEOpenData* openData);
int UNACE_CALL ACECloseArchive(ACEHandle archive);
int UNACE_CALL ACEReadHeader(ACEHandle archive, TACEHeaderData* header);
int UNACE_CALL ACEProcessFile(ACEHandle archive, int operation, const char* destPath);
int UNACE_CALL ACESetPassword(ACEHandle archive, const char* password);
}
