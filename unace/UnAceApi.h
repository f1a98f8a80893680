// The interface of the extraction library (UnACE.dll on Windows, libunace.so
// on Linux): five exports found by their plain names, two records and two
// callbacks. Shared by the library and by the archive reader component.
//
// Record layouts. On 32-bit Windows the records are packed and have exactly
// the sizes and offsets that setups in the field were built against:
//   TACEOpenData    95 bytes: 0 ArchiveName, 4 OpenMode, 8 OpenResult,
//                   12 VolumeOffset, 20 VolumeLength, 28..86 reserved (zero),
//                   87 ChangeVolProc, 91 ProcessDataProc
//   TACEHeaderData 568 bytes: 0 ArchiveName, 260 FileName, 520 Flags,
//                   524 PackSize, 528 UnpSize, 532 FileCRC, 536 FileTime,
//                   540 Method, 544 Quality, 548 Attributes, 552..567 reserved
// On 64-bit Windows and on Linux the same fields come in the same order, but
// the pointers of TACEOpenData are pointer-sized (so its size there is 107),
// and the archive handle is pointer-sized everywhere. TACEHeaderData holds no
// pointer and has the same layout on every build.
#pragma once

#include <cstddef>
#include <cstdint>

// UNACE_CALL: the exports' calling convention. UNACE_EXPORT: makes a
// definition one of a library's exports.
// A conditional, not a _win/_posix pair: callers on both platforms include this C interface.
#if defined(_WIN32)
#define UNACE_CALL __cdecl
#define UNACE_EXPORT __declspec(dllexport)
#else
#define UNACE_CALL
#define UNACE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// Library result codes. 0, 11, 110, 128 and 132 are what the installer
// interprets; the others are this library's own and are shown as numbers.
enum UnAceCode : int {
  ACE_OK = 0,
  ACE_ERR_EXISTS = 11,    // target file exists and cannot be replaced
  ACE_ERR_WRITE = 12,     // target file or folder cannot be created or written (on
                          // Windows, a failed write or replacement leaves the system's
                          // reason as the thread's last error)
  ACE_ERR_ABORTED = 110,  // the progress callback asked to stop
  ACE_END_OF_ARCHIVE = 128,
  ACE_ERR_OPEN = 129,         // archive file cannot be opened or is no ACE archive
  ACE_ERR_HEADER = 130,       // damaged or truncated header (header CRC, sizes)
  ACE_ERR_DATA_CRC = 131,     // unpacked data does not match its CRC
  ACE_ERR_FORMAT = 132,       // compression method or version not accepted
  ACE_ERR_PASSWORD = 133,     // encrypted entry: no password or a wrong one
  ACE_ERR_VOLUME = 134,       // next volume missing and not supplied
  ACE_ERR_UNSAFE_NAME = 135,  // entry name would leave the target folder
  ACE_ERR_MEMORY = 136,       // out of memory
  ACE_ERR_DATA = 137,         // damaged packed data (decoder found it invalid)
  ACE_ERR_ARGUMENT = 138,     // bad handle, operation or argument
};

enum UnAceOpenMode : int { ACE_OPEN_LIST = 0, ACE_OPEN_EXTRACT = 1 };
enum UnAceOperation : int { ACE_SKIP = 0, ACE_TEST = 1, ACE_EXTRACT = 2 };

// Volume callback modes.
enum UnAceVolumeMode : int { ACE_VOLUME_MISSING = 0, ACE_VOLUME_FOUND = 1 };

// Entry flag: the entry's data is encrypted and needs a password.
constexpr std::uint32_t ACE_FLAG_PASSWORD = 0x4000;

// Answer 1 to continue, 0 to abort the current entry.
typedef int(UNACE_CALL* ACEProcessDataProc)(unsigned char* addr, int count);
// mode ACE_VOLUME_MISSING: the volume `name` is needed and was not found;
// answer 0 to have it looked for again, anything else to give up.
// mode ACE_VOLUME_FOUND: the volume was found; the answer is not used.
typedef int(UNACE_CALL* ACEChangeVolProc)(char* name, int mode);

#pragma pack(push, 1)
struct TACEOpenData {
  char* ArchiveName;
  std::int32_t OpenMode;
  std::int32_t OpenResult;
  // An archive stored inside another file (a setup program that carries its
  // archive): it is the VolumeLength bytes from VolumeOffset of the file
  // ArchiveName, nothing before or after them is read, and it has no
  // further volumes. Both zero (what callers that know nothing of them
  // pass, as they zero the reserved bytes): the whole file, whose further
  // volumes are found beside it.
  std::uint64_t VolumeOffset;
  std::uint64_t VolumeLength;
  unsigned char Reserved[59];
  ACEChangeVolProc ChangeVolProc;
  ACEProcessDataProc ProcessDataProc;
};

struct TACEHeaderData {
  char ArchiveName[260];   // volume that holds the entry's header
  char FileName[260];      // name inside the archive, '\' separated, CP1252
  std::uint32_t Flags;     // header flags of the entry (ACE_FLAG_PASSWORD, ...)
  std::uint32_t PackSize;  // packed size (low 32 bits)
  std::uint32_t UnpSize;   // unpacked size (low 32 bits)
  std::uint32_t FileCRC;
  std::uint32_t FileTime;  // DOS date-time: date in the high 16 bits
  std::uint32_t Method;    // 0 stored, 1 ACE 1.0 LZ77, 2 ACE 2.0 blocked
  std::uint32_t Quality;
  std::uint32_t Attributes;
  unsigned char Reserved[16];
};
#pragma pack(pop)

static_assert(sizeof(TACEHeaderData) == 568);
static_assert(offsetof(TACEHeaderData, FileName) == 260);
static_assert(offsetof(TACEHeaderData, Flags) == 520);
static_assert(offsetof(TACEHeaderData, FileTime) == 536);
// Packed, so its layout follows from the pointer size alone: 4-byte pointers
// give the 32-bit Windows layout above.
static_assert(sizeof(void*) != 4 ||
              (sizeof(TACEOpenData) == 95 && offsetof(TACEOpenData, OpenMode) == 4 &&
               offsetof(TACEOpenData, OpenResult) == 8 &&
               offsetof(TACEOpenData, VolumeOffset) == 12 &&
               offsetof(TACEOpenData, VolumeLength) == 20 &&
               offsetof(TACEOpenData, ChangeVolProc) == 87 &&
               offsetof(TACEOpenData, ProcessDataProc) == 91));
static_assert(sizeof(void*) != 8 || sizeof(TACEOpenData) == 107);

// Archive handle: 0 means no archive.
typedef std::intptr_t ACEHandle;

typedef ACEHandle(UNACE_CALL* ACEOpenArchiveFn)(TACEOpenData* openData);
typedef int(UNACE_CALL* ACECloseArchiveFn)(ACEHandle archive);
typedef int(UNACE_CALL* ACEReadHeaderFn)(ACEHandle archive, TACEHeaderData* header);
typedef int(UNACE_CALL* ACEProcessFileFn)(ACEHandle archive, int operation, const char* destPath);
typedef int(UNACE_CALL* ACESetPasswordFn)(ACEHandle archive, const char* password);

}  // extern "C"
