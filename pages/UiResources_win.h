// The fonts, brushes and pictures of the wizard's windows.
#pragma once

#include <windows.h>

#include <array>
#include <vector>

#include "common/DpiScale.h"
#include "common/WinHandle.h"
#include "pages/Layout.h"

namespace pelmora::pages {

// The fonts, brushes and pictures all windows share; one per program. The
// fonts are made for each DPI a window asks for, the first time it asks.
class UiResources {
 public:
  explicit UiResources(HINSTANCE instance);
  UiResources(const UiResources&) = delete;
  UiResources& operator=(const UiResources&) = delete;

  HINSTANCE Instance() const { return instance_; }
  HFONT Font(FontKind kind, common::DpiScale scale) const;
  HFONT LinkFont(common::DpiScale scale) const;
  HBITMAP Bitmap(Picture picture) const;
  HBRUSH WhiteBrush() const { return static_cast<HBRUSH>(white_.Get()); }
  HBRUSH MemoBrush() const { return static_cast<HBRUSH>(memo_.Get()); }

 private:
  // The FontKinds in their order, then the link font.
  struct FontSet {
    int dpi;
    std::array<win::GdiObject, 6> fonts;
  };
  const FontSet& FontsFor(common::DpiScale scale) const;

  HINSTANCE instance_;
  mutable std::vector<FontSet> fontSets_;
  std::array<win::GdiObject, 7> bitmaps_;
  win::GdiObject white_;
  win::GdiObject memo_;
};

// Draws `bitmap` with its top left at (left, top) of the 96-DPI layout,
// leaving out its pixels of the key colour (magenta) so that what is behind
// shows through. At any other DPI the picture is smoothly scaled, its
// left-out pixels taken as the window's face colour, which the pictures
// with such pixels stand on.
void DrawPicture(HDC dc, HBITMAP bitmap, int left, int top, common::DpiScale scale);

}  // namespace pelmora::pages
