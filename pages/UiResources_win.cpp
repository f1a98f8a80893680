#include "pages/UiResources_win.h"

namespace pelmora::pages {

namespace {

// Pixels of this colour let the background show through a picture.
constexpr COLORREF kTransparentKey = RGB(255, 0, 255);
constexpr COLORREF kMemoColour = RGB(255, 255, 221);

HFONT MakeFont(int pixelHeight, int weight, bool underline, const char* face) {
  return CreateFontA(-pixelHeight, 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

const char* ResourceName(Picture picture) {
  switch (picture) {
    case Picture::WizardStrip:
      return "WIZARD";
    case Picture::Header:
      return "HEADER";
    case Picture::AboutLogo:
      return "ABOUTLOGO";
    case Picture::InstallBox:
      return "INSTALLBOX";
    case Picture::InstallArrow:
      return "INSTALLARROW";
    case Picture::InstallPc:
      return "INSTALLPC";
    case Picture::None:
      break;
  }
  return nullptr;
}

}  // namespace

// A bitmap drawn with the key colour left out, without the imaging library
// Windows 2000 keeps apart: a monochrome mask blanks the picture's place,
// then the picture with its key pixels blackened is added.
void DrawPicture(HDC dc, HBITMAP bitmap, const RECT& place) {
  BITMAP info{};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return;
  const int w = info.bmWidth, h = info.bmHeight;
  // Declared before the contexts: a bitmap goes only once no context holds it.
  const win::GdiObject mask(CreateBitmap(w, h, 1, 1, nullptr));
  const win::GdiObject copy(CreateCompatibleBitmap(dc, w, h));
  const win::MemoryDc source(CreateCompatibleDC(dc));
  const win::MemoryDc maskDc(CreateCompatibleDC(dc));
  const win::MemoryDc work(CreateCompatibleDC(dc));
  if (!mask || !copy || !source || !maskDc || !work) return;
  const win::SelectedObject sourceSelection = win::Select(source.Get(), bitmap);
  const win::SelectedObject maskSelection = win::Select(maskDc.Get(), mask.Get());
  const win::SelectedObject workSelection = win::Select(work.Get(), copy.Get());
  SetBkColor(source.Get(), kTransparentKey);
  BitBlt(maskDc.Get(), 0, 0, w, h, source.Get(), 0, 0, SRCCOPY);  // key -> 1, rest -> 0
  BitBlt(work.Get(), 0, 0, w, h, source.Get(), 0, 0, SRCCOPY);
  SetBkColor(work.Get(), RGB(0, 0, 0));
  SetTextColor(work.Get(), RGB(255, 255, 255));
  BitBlt(work.Get(), 0, 0, w, h, maskDc.Get(), 0, 0, SRCAND);  // key pixels to black
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  BitBlt(dc, place.left, place.top, w, h, maskDc.Get(), 0, 0, SRCAND);
  BitBlt(dc, place.left, place.top, w, h, work.Get(), 0, 0, SRCPAINT);
}

UiResources::UiResources(HINSTANCE instance) : instance_(instance) {
  constexpr const char* kDialogFace = "MS Sans Serif";
  fonts_[static_cast<int>(FontKind::Normal)].Reset(MakeFont(11, FW_NORMAL, false, kDialogFace));
  fonts_[static_cast<int>(FontKind::Bold)].Reset(MakeFont(11, FW_BOLD, false, kDialogFace));
  fonts_[static_cast<int>(FontKind::Title24)].Reset(MakeFont(24, FW_NORMAL, false, "Arial"));
  fonts_[static_cast<int>(FontKind::Title18)].Reset(MakeFont(18, FW_NORMAL, false, "Arial"));
  fonts_[static_cast<int>(FontKind::Heading16)].Reset(MakeFont(16, FW_NORMAL, false, "Arial"));
  linkFont_.Reset(MakeFont(11, FW_NORMAL, true, kDialogFace));
  // The pictures are run-length coded, which a DIB section cannot hold:
  // they are loaded as bitmaps of the screen's format instead.
  for (int p = 1; p < static_cast<int>(bitmaps_.size()); ++p)
    bitmaps_[p].Reset(LoadImageA(instance, ResourceName(static_cast<Picture>(p)), IMAGE_BITMAP, 0,
                                 0, LR_DEFAULTCOLOR));
  white_.Reset(CreateSolidBrush(RGB(255, 255, 255)));
  memo_.Reset(CreateSolidBrush(kMemoColour));
}

HFONT UiResources::Font(FontKind kind) const {
  return static_cast<HFONT>(fonts_[static_cast<int>(kind)].Get());
}

HBITMAP UiResources::Bitmap(Picture picture) const {
  return static_cast<HBITMAP>(bitmaps_[static_cast<int>(picture)].Get());
}

}  // namespace pelmora::pages
