// The wizard's windows built for real, at the layout's DPI and after a move
// to a monitor of another DPI: the window that Windows tells of the change
// is sent the same message here.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/DpiScale.h"
#include "pages/ControlIds.h"
#include "pages/ExistingInstallationPage_win.h"
#include "pages/Layout.h"
#include "pages/Window_win.h"
#include "winsupport/Dpi_win.h"

namespace pelmora::pages {
namespace {

RECT ChildPlace(HWND window, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(window, id), &r);
  MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

LONG FontHeight(HWND control) {
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

// Every control of the layout where the layout puts it, scaled, with its
// font at the DPI's size; the client area the layout's, scaled.
void ExpectLaidOut(const PageWindow& page, common::DpiScale scale) {
  const WindowLayout& layout = page.Layout();
  SCOPED_TRACE(std::string(layout.name) + " at " + std::to_string(scale.Dpi()) + " DPI");
  RECT client{};
  GetClientRect(page.Handle(), &client);
  EXPECT_EQ(client.right, scale(layout.clientWidth));
  EXPECT_EQ(client.bottom, scale(layout.clientHeight));
  for (const ControlLayout& c : layout.controls) {
    HWND control = GetDlgItem(page.Handle(), c.id);
    if (!control) continue;  // painted by the page
    const common::Edges want = scale.Box(c.left, c.top, c.width, c.height);
    const RECT got = ChildPlace(page.Handle(), c.id);
    EXPECT_EQ((common::Edges{got.left, got.top, got.right, got.bottom}), want) << c.name;
    const int pixels = c.font == FontKind::Title24   ? 24
                       : c.font == FontKind::Title18 ? 18
                       : c.font == FontKind::Heading16 ? 16
                                                       : 11;
    EXPECT_EQ(FontHeight(control), -scale(pixels)) << c.name;
  }
}

TEST(PageWindow, LaysEveryWindowOutAtItsDpiAndAnewWhenTheDpiChanges) {
  const UiResources resources(GetModuleHandleA(nullptr));
  for (const WindowLayout* layout : AllLayouts()) {
    PageWindow page(*layout, resources);
    // The test program declares no awareness: it is shown at 96 DPI, where
    // the layout holds to the pixel.
    ASSERT_EQ(winsupport::ScaleOf(page.Handle()).Dpi(), 96);
    ExpectLaidOut(page, common::DpiScale(96));
    for (int dpi : {144, 192, 120, 96}) {
      const RECT suggested{100, 50, 100 + 2 * layout->clientWidth, 50 + 2 * layout->clientHeight};
      SendMessageA(page.Handle(), winsupport::kDpiChangedMessage, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
      ExpectLaidOut(page, common::DpiScale(dpi));
      RECT frame{};
      GetWindowRect(page.Handle(), &frame);
      EXPECT_EQ(frame.left, 100) << layout->name << " is moved where Windows suggests";
      EXPECT_EQ(frame.top, 50) << layout->name;
    }
  }
}

TEST(ExistingInstallationPage, PlacesItsChoicesInTheirGroupAtEveryDpi) {
  const UiResources resources(GetModuleHandleA(nullptr));
  ExistingInstallationPage page(resources);
  const ControlLayout& group = *FindControl(page.Layout(), ids::kChoices);
  for (int dpi : {96, 192}) {
    const RECT suggested{0, 0, 1000, 800};
    SendMessageA(page.Handle(), winsupport::kDpiChangedMessage, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    const common::DpiScale scale(dpi);
    const RECT first = ChildPlace(page.Handle(), ids::kFirstChoice);
    const RECT second = ChildPlace(page.Handle(), ids::kSecondChoice);
    EXPECT_EQ((common::Edges{first.left, first.top, first.right, first.bottom}),
              scale.Box(group.left + 8, group.top + 22, group.width - 16, 28));
    EXPECT_EQ((common::Edges{second.left, second.top, second.right, second.bottom}),
              scale.Box(group.left + 8, group.top + 56, group.width - 16, 28));
    EXPECT_EQ(FontHeight(GetDlgItem(page.Handle(), ids::kSecondChoice)), -scale(11));
  }
}

}  // namespace
}  // namespace pelmora::pages
