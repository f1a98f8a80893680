#include "archive/TdAce.h"

#include <optional>
#include <utility>
#include <variant>

#include "archive/EntryName.h"
#include "archive/UnAceLibrary.h"
#include "unace/format/EntryName.h"

namespace pelmora::archive {

namespace {

// The library's callbacks carry no context, so what they need lives here:
// the one loaded library, the one open archive and the component whose
// operation runs.
struct UnitState {
  std::optional<UnAceLibrary> library;
  ACEHandle archive = 0;
  TdAce* activeAce = nullptr;
};

UnitState& Unit() {
  static UnitState state;
  return state;
}

void CloseArchive() {
  UnitState& unit = Unit();
  if (unit.archive != 0 && unit.library) unit.library->Exports().CloseArchive(unit.archive);
  unit.archive = 0;
}

void FreeUnAceDll() { Unit().library.reset(); }

bool OperationRunning() {
  const UnitState& unit = Unit();
  return unit.activeAce || unit.library || unit.archive != 0;
}

// One operation from start to end: claims the unit state and, however the
// walk ends, closes the archive and unloads the library (in this order).
class OperationScope {
 public:
  explicit OperationScope(TdAce& ace) { Unit().activeAce = &ace; }
  ~OperationScope() {
    CloseArchive();
    FreeUnAceDll();
    Unit().activeAce = nullptr;
  }
  OperationScope(const OperationScope&) = delete;
  OperationScope& operator=(const OperationScope&) = delete;
};

enum class WalkMode { List, Extract };

}  // namespace

struct TdAceWalk {
  static int Run(TdAce& ace, WalkMode mode);

  static int UNACE_CALL ProcessDataCallback(unsigned char* address, int count) noexcept;
  static int UNACE_CALL ChangeVolCallback(char* name, int mode) noexcept;

 private:
  static bool LoadUnAceDll(TdAce& ace);
  static int RunEntries(TdAce& ace, WalkMode mode, ACEHandle archive);
  static void RaiseError(TdAce& ace, int code) {
    if (ace.OnError) ace.OnError(ace, code);
  }
};

bool TdAceWalk::LoadUnAceDll(TdAce& ace) {
  // Never loaded here already: Run refuses to start otherwise.
  UnitState& unit = Unit();
  ace.libraryLoadError_.clear();
  std::variant<UnAceLibrary, LibraryLoadFailure> loaded = UnAceLibrary::Load(ace.Path2UnAceDll);
  if (LibraryLoadFailure* failure = std::get_if<LibraryLoadFailure>(&loaded)) {
    ace.libraryLoadError_ = std::move(failure->text);
    return false;
  }
  // The failure was handled above.
  unit.library.emplace(std::move(*std::get_if<UnAceLibrary>(&loaded)));
  return true;
}

int TdAceWalk::Run(TdAce& ace, WalkMode mode) {
  // The library may keep the name (to find further volumes) until the archive
  // is closed, so it lives longer than the scope that closes it, whatever a
  // handler does to Archivefilename meanwhile.
  std::string archiveName = ace.Archivefilename;
  if (OperationRunning()) return kAceOperationRunning;
  OperationScope scope(ace);
  UnitState& unit = Unit();

  if (!LoadUnAceDll(ace)) {
    RaiseError(ace, kAceLibraryNotLoaded);
    return kAceLibraryNotLoaded;
  }
  const UnAceExports& library = unit.library->Exports();

  TACEOpenData openData{};
  openData.ArchiveName = archiveName.data();
  openData.VolumeOffset = ace.ArchiveOffset;
  openData.VolumeLength = ace.ArchiveLength;
  openData.OpenMode = mode == WalkMode::List ? ACE_OPEN_LIST : ACE_OPEN_EXTRACT;
  if (ace.OnProcessData) openData.ProcessDataProc = &ProcessDataCallback;
  if (ace.OnVolumeChange) openData.ChangeVolProc = &ChangeVolCallback;
  unit.archive = library.OpenArchive(&openData);

  if (openData.OpenResult != 0) {
    const int code = mode == WalkMode::List ? openData.OpenResult : kAceArchiveNotOpened;
    RaiseError(ace, code);
    return code;
  }
  return RunEntries(ace, mode, unit.archive);
}

int TdAceWalk::RunEntries(TdAce& ace, WalkMode mode, ACEHandle archive) {
  const UnAceExports& library = Unit().library->Exports();
  const bool extracting = mode == WalkMode::Extract;
  ace.header_ = TACEHeaderData{};
  std::string password;  // carried from one request to the next

  for (;;) {
    int code = library.ReadHeader(archive, &ace.header_);
    if (ace.Stop) {
      ace.Stop = false;
      return ACE_ERR_ABORTED;
    }
    if (code != 0) {
      RaiseError(ace, code);
      return code == ACE_ERR_ABORTED || code == ACE_END_OF_ARCHIVE ? code : kAceArchiveNotOpened;
    }
    // Selection, the safety test and the target path all use this one text,
    // whatever a handler later does to the header record.
    const std::string name = EntryNameText(ace.header_);
    // Judged before any event: the handlers act on target + name (the list
    // pass deletes files there), so a name that reaches outside the target
    // must never be seen by them, in either walk.
    if (unace::format::UnsafeNameReason(name)) {
      ace.refusedName_ = name;
      RaiseError(ace, ACE_ERR_UNSAFE_NAME);
      return ACE_ERR_UNSAFE_NAME;
    }

    if (extracting) {
      if (ace.OnExtracting) ace.OnExtracting(ace, ace.header_);
    } else if (ace.OnListing) {
      ace.OnListing(ace, ace.header_);
    }
    // A handler that asks to stop at this entry's event has a reason not
    // to have it written (or skipped past): the walk ends before the
    // library touches it.
    if (ace.Stop) {
      ace.Stop = false;
      return ACE_ERR_ABORTED;
    }
    ace.runningPosition_ = 0;

    bool processed = false;
    if (extracting) {
      if (ace.TargetDirectory.empty() || ace.TargetDirectory.back() != '\\')
        ace.TargetDirectory += '\\';
      const bool selected = ace.filesToProcess_.Empty() || ace.filesToProcess_.Contains(name);
      if (!selected) {
        code = library.ProcessFile(archive, ACE_SKIP, nullptr);
        processed = true;
      }
    }

    if (!processed) {
      if ((ace.header_.Flags & ACE_FLAG_PASSWORD) != 0 && ace.OnReqPassword) {
        ace.OnReqPassword(ace, ace.header_, password);
        if (!password.empty()) {
          library.SetPassword(archive, password.c_str());
        }
      }
      if (extracting) {
        const std::string target = ace.TargetDirectory + name;
        code = library.ProcessFile(archive, ACE_EXTRACT, target.c_str());
        if (ace.OnExtract) ace.OnExtract(ace, ace.header_, code == 0);
      } else {
        code = library.ProcessFile(archive, ACE_SKIP, nullptr);
        if (ace.OnList) ace.OnList(ace, ace.header_, code == 0);
      }
    }

    if (code != 0) {
      RaiseError(ace, code);
      return code;
    }
  }
}

int UNACE_CALL TdAceWalk::ProcessDataCallback(unsigned char* address, int count) noexcept {
  UnitState& unit = Unit();
  TdAce* ace = unit.activeAce;
  if (!ace) return 0;
  // A 32-bit count that wraps like the library's own, without overflow.
  ace->runningPosition_ = static_cast<std::int32_t>(
      static_cast<std::uint32_t>(ace->runningPosition_) + static_cast<std::uint32_t>(count));
  if (ace->OnProcessData) ace->OnProcessData(*ace, address, count, ace->runningPosition_);
  return ace->Stop ? 0 : 1;
}

int UNACE_CALL TdAceWalk::ChangeVolCallback(char* name, int mode) noexcept {
  // Any answer but 0 makes the library give up on a missing volume.
  constexpr int kGiveUp = 1;
  UnitState& unit = Unit();
  TdAce* ace = unit.activeAce;
  if (!ace || !ace->OnVolumeChange) return kGiveUp;
  return ace->OnVolumeChange(*ace, name, mode);
}

int TdAce::List() { return TdAceWalk::Run(*this, WalkMode::List); }

int TdAce::Extract() { return TdAceWalk::Run(*this, WalkMode::Extract); }

}  // namespace pelmora::archive
