#include "pages/Window_win.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "pages/ControlIds.h"
#include "winsupport/Dpi_win.h"
#include "winsupport/ErrorReport_win.h"

namespace pelmora::pages {

namespace {

constexpr const char* kWindowClass = "PelmoraPage";
constexpr COLORREF kMemoColour = RGB(255, 255, 221);  // as the memo's brush
constexpr COLORREF kLinkColour = RGB(0, 0, 255);

// The wizard's windows are all made at its start, before it has changed
// anything: one that cannot be made ends the program with the report.
[[noreturn]] void EndForWindowNotMade(const std::string& text) {
  winsupport::ShowErrorReport(text);
  ExitProcess(1);
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSA existing;
  if (GetClassInfoA(instance, kWindowClass, &existing)) return;
  WNDCLASSA c{};
  c.lpfnWndProc = procedure;
  c.hInstance = instance;
  c.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
  c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  c.lpszClassName = kWindowClass;
  if (!RegisterClassA(&c)) EndForWindowNotMade("Fensterklasse kann nicht registriert werden");
}

bool IsPaintedByPage(ControlKind kind) {
  switch (kind) {
    case ControlKind::Image:
    case ControlKind::WhitePanel:
    case ControlKind::RaisedPanel:
    case ControlKind::Bevel:
    case ControlKind::Separator:
      return true;
    default:
      return false;
  }
}

RECT PlaceOf(const ControlLayout& c, common::DpiScale scale) {
  const common::Edges box = scale.Box(c.left, c.top, c.width, c.height);
  return {box.left, box.top, box.right, box.bottom};
}

const ControlLayout* LayoutOf(const WindowLayout& window, HWND control) {
  return FindControl(window, GetDlgCtrlID(control));
}

}  // namespace

PageWindow::PageWindow(const WindowLayout& layout, const UiResources& resources)
    : layout_(layout), resources_(resources) {
  RegisterWindowClass(resources.Instance(), WindowProcedure);
  const DWORD style = WS_POPUP | WS_CAPTION | (layout.closeBox ? WS_SYSMENU : 0);
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  // Sized once it exists: only then is its monitor's DPI known.
  // The window procedure takes the window into window_ at WM_NCCREATE.
  if (!CreateWindowExA(exStyle, kWindowClass, layout.germanCaption, style, CW_USEDEFAULT,
                       CW_USEDEFAULT, layout.clientWidth, layout.clientHeight, nullptr, nullptr,
                       resources.Instance(), this)) {
    window_.Release();  // a window whose creation failed is destroyed by Windows
    EndForWindowNotMade(std::string("Fenster ") + layout.name + " kann nicht erzeugt werden");
  }
  scale_ = winsupport::ScaleOf(Handle());
  winsupport::FitToClient(Handle(), scale_(layout.clientWidth), scale_(layout.clientHeight),
                          scale_.Dpi());
  CreateControls();
  CentreOnScreen();
}

PageWindow::~PageWindow() {
  // The page is gone before its window: the window's last messages go to
  // the default procedure.
  if (window_) SetWindowLongPtrA(Handle(), GWLP_USERDATA, 0);
}

void PageWindow::CreateControls() {
  for (const ControlLayout& c : layout_.controls) {
    if (IsPaintedByPage(c.kind)) continue;
    const char* cls = "STATIC";
    DWORD style = WS_CHILD | (c.hidden ? 0 : WS_VISIBLE) | (c.disabled ? WS_DISABLED : 0) |
                  (c.tabOrder != kNoTabStop ? WS_TABSTOP : 0);
    DWORD exStyle = 0;
    switch (c.kind) {
      case ControlKind::Label:
      case ControlKind::Link:
        style |= c.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
        // Only a label whose text marks an accelerator shows "&" as one; a
        // product name with "&" stays as written.
        if (std::string(c.german).find('&') == std::string::npos) style |= SS_NOPREFIX;
        if (c.kind == ControlKind::Link) style |= SS_NOTIFY;
        break;
      case ControlKind::Button:
        cls = "BUTTON";
        style |= BS_PUSHBUTTON;
        break;
      case ControlKind::DefaultButton:
        cls = "BUTTON";
        style |= BS_DEFPUSHBUTTON;
        break;
      case ControlKind::CheckBox:
        cls = "BUTTON";
        style |= BS_AUTOCHECKBOX;
        break;
      case ControlKind::RadioGroup:
        cls = "BUTTON";
        style |= BS_GROUPBOX;
        style &= ~WS_TABSTOP;  // its items take the focus
        break;
      case ControlKind::Edit:
        cls = "EDIT";
        style |= ES_AUTOHSCROLL;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
      case ControlKind::PasswordEdit:
        cls = "EDIT";
        style |= ES_AUTOHSCROLL | ES_PASSWORD;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
      case ControlKind::Memo:
        cls = "EDIT";
        style |= ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER;
        break;
      case ControlKind::ProgressBar:
        cls = PROGRESS_CLASSA;
        style |= PBS_SMOOTH;
        break;
      default:
        break;
    }
    HWND control = CreateWindowExA(exStyle, cls, c.german, style, 0, 0, 0, 0, Handle(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)),
                                   resources_.Instance(), nullptr);
    if (!control)
      EndForWindowNotMade(std::string("Element ") + c.name + " kann nicht erzeugt werden");
    PlaceControl(control, c);
    if (c.kind == ControlKind::PasswordEdit) SendMessageA(control, EM_SETPASSWORDCHAR, '*', 0);
    if (c.kind == ControlKind::ProgressBar)
      SendMessageA(control, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  }
}

void PageWindow::PlaceControl(HWND control, const ControlLayout& c, bool redraw) {
  Place(control, c.left, c.top, c.width, c.height);
  SendMessageA(control, WM_SETFONT,
               reinterpret_cast<WPARAM>(c.kind == ControlKind::Link ? resources_.LinkFont(scale_)
                                                                    : FontFor(c.font)),
               redraw);
}

void PageWindow::Place(HWND control, int left, int top, int width, int height) {
  const common::Edges box = scale_.Box(left, top, width, height);
  SetWindowPos(control, nullptr, box.left, box.top, box.Width(), box.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT PageWindow::FontFor(FontKind kind) const { return resources_.Font(kind, scale_); }

void PageWindow::Rescale(int dpi, const RECT* suggested) {
  scale_ = common::DpiScale(dpi);
  winsupport::FitToClient(Handle(), scale_(layout_.clientWidth), scale_(layout_.clientHeight),
                          scale_.Dpi(), suggested);
  for (const ControlLayout& c : layout_.controls)
    if (HWND control = IsPaintedByPage(c.kind) ? nullptr : Control(c.id))
      PlaceControl(control, c, true);
  OnRescaled();
  InvalidateRect(Handle(), nullptr, TRUE);
}

std::string PageWindow::Text(int id) const {
  HWND control = Control(id);
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

void PageWindow::SetText(int id, const std::string& text) {
  HWND control = Control(id);
  SetWindowTextA(control, text.c_str());
  const ControlLayout* c = FindControl(layout_, id);
  if (c && c->transparent) {
    RECT place = PlaceOf(*c, scale_);
    InvalidateRect(Handle(), &place, TRUE);
  }
}

void PageWindow::SetCaption(const std::string& text) { SetWindowTextA(Handle(), text.c_str()); }

void PageWindow::ShowControl(int id, bool visible) {
  ShowWindow(Control(id), visible ? SW_SHOWNA : SW_HIDE);
}

void PageWindow::EnableControl(int id, bool enabled) { EnableWindow(Control(id), enabled); }

bool PageWindow::IsChecked(int id) const {
  return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void PageWindow::SetChecked(int id, bool checked) {
  SendMessageA(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void PageWindow::Focus(int id) {
  // The page is no dialog of the dialog manager's, so the focus is set
  // directly; a push button that gets it is drawn as the default one.
  HWND control = Control(id);
  SetFocus(control);
  const ControlLayout* c = FindControl(layout_, id);
  if (c && (c->kind == ControlKind::Button || c->kind == ControlKind::DefaultButton))
    SendMessageA(control, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void PageWindow::OnEscape() {
  // A modal window closes as its close box does; a page presses its Cancel.
  if (modal_) {
    EndModal();
    return;
  }
  HWND cancel = GetDlgItem(Handle(), ids::kCancel);
  if (cancel && IsWindowVisible(cancel) && IsWindowEnabled(cancel))
    SendMessageA(cancel, BM_CLICK, 0, 0);
}

void PageWindow::SwitchToEnglish() {
  english_ = true;
  if (layout_.englishCaption) SetCaption(layout_.englishCaption);
  for (const ControlLayout& c : layout_.controls)
    if (c.english && std::string(c.english) != c.german) SetText(c.id, c.english);
}

void PageWindow::Show() {
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
}

void PageWindow::Hide() { ShowWindow(Handle(), SW_HIDE); }

POINT PageWindow::TopLeft() const {
  RECT r{};
  GetWindowRect(Handle(), &r);
  return {r.left, r.top};
}

void PageWindow::MoveTo(POINT topLeft) {
  SetWindowPos(Handle(), nullptr, topLeft.x, topLeft.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PageWindow::CentreOnScreen() {
  RECT r{};
  GetWindowRect(Handle(), &r);
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  MoveTo({work.left + (work.right - work.left - (r.right - r.left)) / 2,
          work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2});
}

void PageWindow::CentreOver(HWND other) {
  RECT mine{}, theirs{};
  GetWindowRect(Handle(), &mine);
  GetWindowRect(other, &theirs);
  MoveTo({theirs.left + (theirs.right - theirs.left - (mine.right - mine.left)) / 2,
          theirs.top + (theirs.bottom - theirs.top - (mine.bottom - mine.top)) / 2});
}

void PageWindow::RunModal() {
  HWND previous = GetActiveWindow();
  {
    winsupport::OtherWindowsDisabled others(Handle());
    modal_ = true;
    Show();
    while (modal_) {
      MSG message;
      if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
        PostQuitMessage(static_cast<int>(message.wParam));  // for the outer loop
        modal_ = false;
        break;
      }
      if (!IsDialogMessageA(Handle(), &message)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
      }
    }
  }
  Hide();
  if (previous && IsWindowVisible(previous)) SetActiveWindow(previous);
}

void PageWindow::EndModal() {
  modal_ = false;
  // The loop sees the flag only when GetMessage returns, and a sent message
  // (a WM_CLOSE from another program, say) does not make it return: a posted
  // one wakes it, as the system's own dialogs do.
  PostMessageA(Handle(), WM_NULL, 0, 0);
}

int PageWindow::DefaultButtonId() const {
  for (const ControlLayout& c : layout_.controls)
    if (c.kind == ControlKind::DefaultButton) return c.id;
  return 0;
}

LRESULT CALLBACK PageWindow::WindowProcedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<PageWindow*>(reinterpret_cast<CREATESTRUCTA*>(l)->lpCreateParams);
    self->window_.Reset(window);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<PageWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, w, l);
  return self->HandleMessage(message, w, l);
}

LRESULT PageWindow::HandleMessage(UINT message, WPARAM w, LPARAM l) {
  switch (message) {
    case WM_COMMAND:
      if (l != 0)
        OnCommand(LOWORD(w), HIWORD(w));
      else if (LOWORD(w) == IDCANCEL)  // the dialog manager's Escape
        OnEscape();
      return 0;
    case DM_GETDEFID: {
      const int id = DefaultButtonId();
      return id ? MAKELRESULT(id, DC_HASDEFID) : 0;
    }
    case WM_SHOWWINDOW:
      // Posted, so that the page is on the screen before its work starts.
      if (w) PostMessageA(Handle(), WM_APP, 0, 0);
      break;
    case WM_APP:
      if (IsWindowVisible(Handle())) OnShown();
      return 0;
    case WM_TIMER:
      OnTimer(w);
      return 0;
    case WM_CLOSE:
      if (modal_)
        EndModal();
      else
        OnCloseRequest();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(Handle(), &ps);
      Paint(dc);
      EndPaint(Handle(), &ps);
      return 0;
    }
    case winsupport::kDpiChangedMessage:
      Rescale(LOWORD(w), reinterpret_cast<const RECT*>(l));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return ControlColour(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
    case WM_SETCURSOR: {
      const ControlLayout* c = LayoutOf(layout_, reinterpret_cast<HWND>(w));
      if (c && c->kind == ControlKind::Link) {
        SetCursor(LoadCursorA(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    }
    default:
      break;
  }
  return DefWindowProcA(Handle(), message, w, l);
}

void PageWindow::Paint(HDC dc) const {
  for (const ControlLayout& c : layout_.controls) {
    RECT place = PlaceOf(c, scale_);
    switch (c.kind) {
      case ControlKind::Image:
        DrawPicture(dc, resources_.Bitmap(c.picture), c.left, c.top, scale_);
        break;
      case ControlKind::WhitePanel:
        FillRect(dc, &place, resources_.WhiteBrush());
        break;
      case ControlKind::RaisedPanel:
        DrawEdge(dc, &place, BDR_RAISEDINNER | BDR_SUNKENOUTER, BF_RECT);
        break;
      case ControlKind::Bevel:
        DrawEdge(dc, &place, EDGE_ETCHED, BF_RECT);
        break;
      case ControlKind::Separator:
        DrawEdge(dc, &place, EDGE_ETCHED, BF_TOP);
        break;
      default:
        break;
    }
  }
}

LRESULT PageWindow::ControlColour(HDC dc, HWND control) {
  const ControlLayout* c = LayoutOf(layout_, control);
  if (!c)
    return DefWindowProcA(Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                          reinterpret_cast<LPARAM>(control));
  if (c->kind == ControlKind::Memo) {
    SetBkColor(dc, kMemoColour);
    return reinterpret_cast<LRESULT>(resources_.MemoBrush());
  }
  if (c->kind == ControlKind::Link) SetTextColor(dc, kLinkColour);
  if (c->grey) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  if (c->whiteBackground) {
    SetBkColor(dc, RGB(255, 255, 255));
    return reinterpret_cast<LRESULT>(resources_.WhiteBrush());
  }
  if (c->transparent) {
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace pelmora::pages
