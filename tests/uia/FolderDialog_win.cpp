#include "FolderDialog_win.h"

#include <commctrl.h>
#include <shlobj.h>

#include <vector>

#include "Input_win.h"
#include "Outcome.h"
#include "RemoteMemory_win.h"

namespace pelmora::uia {

namespace {

constexpr UINT kAnswerMs = 5000;  // expanding the tree to a path may touch the disk

HWND FolderTree(HWND dialog) {
  for (HWND control : Descendants(dialog)) {
    if (IsClass(control, WC_TREEVIEWA)) return control;
  }
  return nullptr;
}

HWND FindFolderDialog() {
  for (HWND window : TopLevelWindows()) {
    if (IsWindowVisible(window) && IsClass(window, "#32770") && FolderTree(window)) return window;
  }
  return nullptr;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const char* what) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs, &answer)) {
    throw CommandFailure(kExitImpossible, std::string("the folder dialog did not answer ") + what);
  }
  return static_cast<LRESULT>(answer);
}

}  // namespace

HWND WaitForFolderDialog(const Deadline& deadline) {
  HWND dialog = WaitFor(deadline, FindFolderDialog);
  if (!dialog) throw CommandFailure(kExitNotFound, "no folder dialog appeared in time");
  return dialog;
}

void SelectFolder(HWND dialog, const std::string& path) {
  RemoteMemory text(dialog, path.size() + 1);
  text.Write(0, path.c_str(), path.size() + 1);
  // The dialog answers whether it found the folder; where that answer is
  // left undefined, the selection itself must show the path.
  const bool found = Ask(dialog, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(text.Address()),
                         "the new selection") != 0;
  std::string wanted = path;
  if (wanted.size() > 3 && wanted.back() == '\\') wanted.pop_back();
  if (!found && lstrcmpiA(SelectedFolder(dialog).c_str(), wanted.c_str()) != 0) {
    throw CommandFailure(kExitImpossible,
                         "the folder dialog did not select \"" + path + "\" (no such folder?)");
  }
}

std::string SelectedFolder(HWND dialog) {
  HWND tree = FolderTree(dialog);
  if (!tree) throw CommandFailure(kExitImpossible, "the folder dialog has no tree");
  constexpr int kTextMax = 1024;
  RemoteMemory item(dialog, sizeof(TVITEMA) + kTextMax);
  std::vector<std::string> names;
  auto handle =
      reinterpret_cast<HTREEITEM>(Ask(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, "its selection"));
  while (handle) {
    TVITEMA query = {};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = handle;
    query.pszText = static_cast<char*>(item.At(sizeof(TVITEMA)));
    query.cchTextMax = kTextMax;
    item.Write(0, &query, sizeof query);
    if (!Ask(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(item.Address()), "an item's name")) {
      throw CommandFailure(kExitImpossible, "the folder tree did not give an item's name");
    }
    std::string name(kTextMax, '\0');
    item.Read(sizeof(TVITEMA), name.data(), name.size());
    name.resize(name.find('\0') == std::string::npos ? name.size() : name.find('\0'));
    names.push_back(name);
    handle = reinterpret_cast<HTREEITEM>(Ask(tree, TVM_GETNEXTITEM, TVGN_PARENT,
                                             reinterpret_cast<LPARAM>(handle), "an item's parent"));
  }
  // A drive shows as "Label (C:)"; from there on the names are the folders'.
  std::string path;
  for (auto name = names.rbegin(); name != names.rend(); ++name) {
    const size_t n = name->size();
    if (n >= 4 && name->compare(n - 4, 4, std::string("(") + (*name)[n - 3] + ":)") == 0) {
      path = name->substr(n - 3, 2);
    } else {
      if (!path.empty()) path += '\\';
      path += *name;
    }
  }
  return path;
}

void CloseFolderDialog(HWND dialog, int buttonId, const Deadline& deadline) {
  HWND button = GetDlgItem(dialog, buttonId);
  if (!button) throw CommandFailure(kExitImpossible, "the folder dialog has no such button");
  RequireUsable(button, buttonId == IDOK ? "the folder dialog's OK button"
                                         : "the folder dialog's Cancel button");
  Deliver(button, BM_CLICK, 0, 0, deadline);
  if (!WaitFor(deadline, [&] { return !IsWindow(dialog); })) {
    throw CommandFailure(kExitNotFound, "the folder dialog did not close in time");
  }
}

}  // namespace pelmora::uia
