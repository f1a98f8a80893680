// The shell's folder dialog (SHBrowseForFolder), answered from outside.
// Its caption differs between systems and languages, so it is found by
// its make-up: a dialog (class #32770) holding a folder tree.
#pragma once

#include <windows.h>

#include <string>

#include "Windows_win.h"

namespace pelmora::uia {

// Throws CommandFailure(kExitNotFound) when none appears in time.
HWND WaitForFolderDialog(const Deadline& deadline);

// Selects `path` (a Windows path, bytes in the ANSI code page) in the tree;
// throws CommandFailure(kExitImpossible) when the dialog does not take it.
void SelectFolder(HWND dialog, const std::string& path);

// The selected folder: a path ("C:\users\Public") when it lies on a drive,
// else the names the tree shows from its top, joined by backslashes
// ("Desktop\Documents").
std::string SelectedFolder(HWND dialog);

// Presses the dialog's OK or Cancel button and waits until the dialog is gone.
void CloseFolderDialog(HWND dialog, int buttonId, const Deadline& deadline);

}  // namespace pelmora::uia
