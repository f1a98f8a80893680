// The fonts, brushes and pictures of the wizard's windows.
#pragma once

#include <windows.h>

#include <array>

#include "common/WinHandle.h"
#include "pages/Layout.h"

namespace pelmora::pages {

// The fonts, brushes and pictures all windows share; one per program.
class UiResources {
 public:
  explicit UiResources(HINSTANCE instance);
  UiResources(const UiResources&) = delete;
  UiResources& operator=(const UiResources&) = delete;

  HINSTANCE Instance() const { return instance_; }
  HFONT Font(FontKind kind) const;
  HFONT LinkFont() const { return static_cast<HFONT>(linkFont_.Get()); }
  HBITMAP Bitmap(Picture picture) const;
  HBRUSH WhiteBrush() const { return static_cast<HBRUSH>(white_.Get()); }
  HBRUSH MemoBrush() const { return static_cast<HBRUSH>(memo_.Get()); }

 private:
  HINSTANCE instance_;
  std::array<win::GdiObject, 5> fonts_;
  win::GdiObject linkFont_;
  std::array<win::GdiObject, 7> bitmaps_;
  win::GdiObject white_;
  win::GdiObject memo_;
};

// Draws `bitmap` at the top left of `place`, leaving out its pixels of the
// key colour (magenta) so that what is behind shows through.
void DrawPicture(HDC dc, HBITMAP bitmap, const RECT& place);

}  // namespace pelmora::pages
