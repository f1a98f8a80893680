// The password prompt, shown modally when the archive asks for a password.
#pragma once

#include <string>

#include "pages/Window_win.h"

namespace pelmora::pages {

class PasswordPrompt : public PageWindow {
 public:
  explicit PasswordPrompt(const UiResources& resources);

  // Shows the prompt over `mainWindow` until Ok, Enter or the close box, and
  // returns the field's text however it was closed. The field keeps its text
  // for the next request.
  std::string Ask(HWND mainWindow);

 protected:
  void OnCommand(int id, int notification) override;

 private:
  static LRESULT CALLBACK FieldProcedure(HWND field, UINT message, WPARAM w, LPARAM l);
  WNDPROC fieldProcedure_ = nullptr;
};

}  // namespace pelmora::pages
