// A shell link (.lnk file) written, or read back, through the shell's link
// object. Every setter and the save report nothing: a shortcut that cannot
// be made is left out and the installation goes on. COM must be initialised
// on the thread (winsupport/ComApartment_win.h) for as long as the object
// lives.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "common/WinFailure.h"
#include "common/WinHandle.h"

namespace pelmora::winsupport {

class ShellLink {
 public:
  // A fresh link object with no fields set; when the shell cannot make one,
  // every call below does nothing.
  ShellLink() noexcept;

  void SetPath(const std::string& path) noexcept;
  void SetArguments(const std::string& arguments) noexcept;
  void SetDescription(const std::string& description) noexcept;
  void SetWorkingDirectory(const std::string& directory) noexcept;
  void SetIconLocation(const std::string& iconFile, int index) noexcept;

  // Writes the link to fileName (ANSI); a failure naming the file with the
  // shell's HRESULT when it could not (E_NOINTERFACE without a link object).
  std::optional<common::WinFailure> SaveToFile(const std::string& fileName);

  // Reads the link file fileName (ANSI) into this object; false when it
  // could not (then the getters below give what was there before).
  bool LoadFromFile(const std::string& fileName) noexcept;
  // The file the link starts and its arguments, as stored; empty when the
  // object holds none or the shell cannot tell.
  std::string Path() const;
  std::string Arguments() const;

 private:
  // fileName in UTF-16 from the system's ANSI code page, as the link object
  // takes file names; empty when it cannot be converted.
  static std::wstring WideName(const std::string& fileName);

  win::ComInterface<IShellLinkA> link_;
  win::ComInterface<IPersistFile> file_;
};

}  // namespace pelmora::winsupport
