#include "pages/PasswordPrompt_win.h"

#include "pages/ControlIds.h"

namespace pelmora::pages {

PasswordPrompt::PasswordPrompt(const UiResources& resources)
    : PageWindow(PasswordLayout(), resources) {
  // Enter typed into the field closes the prompt even when the key does not
  // come through the dialog navigation (a character sent to the field).
  HWND field = Control(ids::kPassword);
  SetWindowLongPtrA(field, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  fieldProcedure_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FieldProcedure)));
}

LRESULT CALLBACK PasswordPrompt::FieldProcedure(HWND field, UINT message, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<PasswordPrompt*>(GetWindowLongPtrA(field, GWLP_USERDATA));
  if (message == WM_CHAR && w == '\r') {
    self->EndModal();
    return 0;
  }
  return CallWindowProcA(self->fieldProcedure_, field, message, w, l);
}

std::string PasswordPrompt::Ask(HWND mainWindow) {
  CentreOver(mainWindow);
  Focus(ids::kPassword);
  RunModal();
  return Text(ids::kPassword);
}

void PasswordPrompt::OnCommand(int id, int notification) {
  if (id == ids::kPasswordOk && notification == BN_CLICKED) EndModal();
}

}  // namespace pelmora::pages
