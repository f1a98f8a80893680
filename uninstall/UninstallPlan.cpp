#include "uninstall/UninstallPlan.h"

#include <cstdint>
#include <optional>

#include "contract/AnsiText.h"
#include "contract/KeyRules.h"
#include "contract/PathRules.h"
#include "contract/Protocol.h"

namespace pelmora::uninstall {

using contract::CheckedPath;
using contract::CheckGroupName;
using contract::KeyRoot;
using contract::RootName;
using contract::SortDeepestFirst;
using contract::TargetFolder;
namespace {

// Text files only: a NUL byte or most other control characters mean binary.
bool LooksLikeText(std::string_view bytes) {
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 && byte != '\r' && byte != '\n' && byte != '\t') return false;
  }
  return true;
}

std::optional<std::string> FirstTarget(const contract::ProtocolBlock& block) {
  for (const std::string& line : block.lines) {
    const contract::ProtocolLine parsed = contract::ParseProtocolLine(line);
    if (parsed.kind == contract::LineKind::Folder) return parsed.text;
  }
  return std::nullopt;
}

// Texts seen so far, compared byte for byte. Open addressing over one
// table of indices: the standard library's hash or tree containers would
// bring their whole support code into both programs for this one use.
class SeenTexts {
 public:
  // True when text was not there yet.
  bool Insert(std::string text) {
    if ((texts_.size() + 1) * 2 > slots_.size()) Grow();
    const std::size_t slot = Find(text);
    if (slots_[slot] != 0) return false;
    texts_.push_back(std::move(text));
    slots_[slot] = texts_.size();
    return true;
  }

 private:
  static std::uint32_t Hash(std::string_view text) {
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return hash;
  }

  // The slot that holds text, or the empty slot where it belongs.
  std::size_t Find(std::string_view text) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = Hash(text) & mask;
    while (slots_[slot] != 0 && texts_[slots_[slot] - 1] != text) slot = (slot + 1) & mask;
    return slot;
  }

  // Twice the slots (a power of two), so that at most half of them are used.
  void Grow() {
    slots_.assign(slots_.empty() ? 64 : slots_.size() * 2, 0);
    for (std::size_t i = 0; i < texts_.size(); ++i) slots_[Find(texts_[i])] = i + 1;
  }

  std::vector<std::string> texts_;
  std::vector<std::size_t> slots_;  // an index into texts_ plus one; 0 is free
};

class Planner {
 public:
  Planner(const TargetFolder& target, const contract::SystemFolders& system,
          std::string protocolFile, const ProductEntries& productEntry)
      : target_(target), system_(system) {
    plan_.targetFolder = target.Path();
    plan_.protocolFile = std::move(protocolFile);
    plan_.productEntry = productEntry;
  }

  void Add(const std::string& line) {
    const contract::ProtocolLine parsed = contract::ParseProtocolLine(line);
    switch (parsed.kind) {
      case contract::LineKind::Comment:
        return;
      case contract::LineKind::Folder:
        return AddFolder(parsed.text);
      case contract::LineKind::File:
        return AddPath(parsed.text, plan_.files);
      case contract::LineKind::ComServer:
        return AddPath(parsed.text, plan_.comServers);
      case contract::LineKind::MachineKey:
        return AddKey(parsed.text, KeyRoot::LocalMachine, plan_.machineKeys);
      case contract::LineKind::UserKey:
        return AddKey(parsed.text, KeyRoot::CurrentUser, plan_.userKeys);
      case contract::LineKind::Group:
        return AddGroup(parsed.text);
      case contract::LineKind::Unknown:
        // The empty line a file's last line end leaves is no entry.
        if (!line.empty()) AddRefusal(line, Reason::UnknownLine);
        return;
    }
  }

  UninstallPlan Finish() && {
    SortDeepestFirst(plan_.folders);
    SortDeepestFirst(plan_.parents);
    return std::move(plan_);
  }

 private:
  // A folder the setup made to hold the target, or one below the target.
  void AddFolder(const std::string& text) {
    if (const std::optional<std::string> parent = ParentOfTarget(text))
      return AddOnce(plan_.parents, *parent);
    AddPath(text, plan_.folders);
  }

  // The folder text names when it holds the target and could itself be a
  // product's folder (no drive root, no folder of Windows or of all users).
  std::optional<std::string> ParentOfTarget(const std::string& text) const {
    const auto parsed = TargetFolder::Parse(text);
    const TargetFolder* folder = std::get_if<TargetFolder>(&parsed);
    if (folder == nullptr || folder->CheckAgainst(system_)) return std::nullopt;
    const auto inside = folder->Check(target_.Path());
    const CheckedPath* target = std::get_if<CheckedPath>(&inside);
    if (target == nullptr || target->below == 0) return std::nullopt;
    return folder->Path();
  }

  void AddPath(const std::string& text, std::vector<std::string>& list) {
    const auto checked = target_.Check(text);
    if (const Refusal* refusal = std::get_if<Refusal>(&checked))
      return AddRefusal(text, refusal->reason);
    const CheckedPath& path = std::get<CheckedPath>(checked);
    // The target and the protocol have their own places in the order.
    if (path.below == 0) return;
    if (contract::EqualsIgnoreCaseAnsi(path.path, plan_.protocolFile)) return;
    AddOnce(list, path.path);
  }

  void AddKey(const std::string& text, KeyRoot root, std::vector<std::string>& list) {
    const auto checked = contract::CheckProtocolKey(text, root, plan_.productEntry.Under(root));
    if (const Refusal* refusal = std::get_if<Refusal>(&checked))
      return AddRefusal(std::string(RootName(root)) + "\\" + text, refusal->reason);
    AddOnce(list, std::get<std::string>(checked));
  }

  void AddGroup(const std::string& text) {
    const auto checked = CheckGroupName(text);
    if (const Refusal* refusal = std::get_if<Refusal>(&checked))
      return AddRefusal(text, refusal->reason);
    AddOnce(plan_.groups, std::get<std::string>(checked));
  }

  // Adds text unless an entry equal to it (ignoring case) is already there;
  // a product of thousands of files, installed and updated, repeats each.
  void AddOnce(std::vector<std::string>& list, std::string text) {
    // The list's address in front of the text keeps the lists apart.
    const std::vector<std::string>* const owner = &list;
    std::string key(reinterpret_cast<const char*>(&owner), sizeof owner);
    key += contract::UpperAnsi(text);
    if (seen_.Insert(std::move(key))) list.push_back(std::move(text));
  }

  // Each refused thing once, in the order of the lines that name it.
  void AddRefusal(std::string what, Reason reason) {
    // The reason as one byte in front (there are fewer than 256).
    std::string key(1, static_cast<char>(reason));
    key += contract::UpperAnsi(what);
    if (refused_.Insert(std::move(key))) plan_.refusals.emplace_back(reason, std::move(what));
  }

  const TargetFolder& target_;
  const contract::SystemFolders& system_;
  UninstallPlan plan_;
  SeenTexts seen_;
  SeenTexts refused_;
};

}  // namespace

std::size_t UninstallPlan::StepCount() const {
  // The protocol and the target folder are a step each.
  return comServers.size() + files.size() + folders.size() + machineKeys.size() + userKeys.size() +
         groups.size() + parents.size() + 2;
}

std::variant<UninstallPlan, Refusal> PlanUninstall(std::string_view protocolPath,
                                                   std::string_view fileBytes,
                                                   const contract::SystemFolders& systemFolders,
                                                   const ProductEntries& productEntry) {
  if (!LooksLikeText(fileBytes)) return Reason::NotAProtocol;
  const std::vector<contract::ProtocolBlock> blocks = contract::SplitProtocol(fileBytes);
  // SplitProtocol keeps lines in front of the first header box as a block
  // of their own that does not start with the box: then it is no protocol.
  if (blocks.empty() || !blocks.front().headed) return Reason::NotAProtocol;

  const std::optional<std::string> targetLine = FirstTarget(blocks.front());
  if (!targetLine) return Reason::NoTargetFolder;
  auto parsed = TargetFolder::Parse(*targetLine);
  if (Refusal* refusal = std::get_if<Refusal>(&parsed)) return std::move(*refusal);
  const TargetFolder& target = std::get<TargetFolder>(parsed);
  if (std::optional<Refusal> refusal = target.CheckAgainst(systemFolders))
    return std::move(*refusal);

  // The protocol always lies in the target folder; one that lies elsewhere
  // would let whoever can write it pick a folder to empty.
  const auto protocol = target.Check(protocolPath);
  const CheckedPath* protocolFile = std::get_if<CheckedPath>(&protocol);
  if (protocolFile == nullptr || protocolFile->below != 1) return Reason::ProtocolOutsideTarget;

  Planner planner(target, systemFolders, protocolFile->path, productEntry);
  for (const contract::ProtocolBlock& block : blocks)
    for (const std::string& line : block.lines) planner.Add(line);
  return std::move(planner).Finish();
}

}  // namespace pelmora::uninstall
