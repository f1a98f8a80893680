// Layouts are drawn in pixels at 96 DPI; a window on a screen of another
// DPI multiplies them. Plain arithmetic, shared by every program's windows.
#pragma once

namespace pelmora::common {

inline constexpr int kLayoutDpi = 96;

// A rectangle by its edges, in pixels.
struct Edges {
  int left = 0, top = 0, right = 0, bottom = 0;
  constexpr int Width() const { return right - left; }
  constexpr int Height() const { return bottom - top; }
  friend constexpr bool operator==(const Edges&, const Edges&) = default;
};

class DpiScale {
 public:
  constexpr DpiScale() = default;
  // A DPI of 0 or less (a failed query) counts as the layout's own.
  constexpr explicit DpiScale(int dpi) : dpi_(dpi > 0 ? dpi : kLayoutDpi) {}

  constexpr int Dpi() const { return dpi_; }
  constexpr bool IsLayoutDpi() const { return dpi_ == kLayoutDpi; }

  // A coordinate or length of the layout at this DPI, rounded to the nearest
  // pixel, halves away from zero.
  constexpr int operator()(int layoutPixels) const {
    const long long scaled = static_cast<long long>(layoutPixels) * dpi_;
    return static_cast<int>(scaled >= 0 ? (scaled + kLayoutDpi / 2) / kLayoutDpi
                                        : -((-scaled + kLayoutDpi / 2) / kLayoutDpi));
  }

  // The edges are scaled, not the width and height: two controls that touch
  // at 96 DPI touch at every DPI, and none grows into its neighbour.
  constexpr Edges Box(int left, int top, int width, int height) const {
    return {(*this)(left), (*this)(top), (*this)(left + width), (*this)(top + height)};
  }

  friend constexpr bool operator==(const DpiScale&, const DpiScale&) = default;

 private:
  int dpi_ = kLayoutDpi;
};

}  // namespace pelmora::common
