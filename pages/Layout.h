// What each window of the wizard looks like: its controls with positions in
// pixels at 96 DPI, their German and English texts, fonts and tab order.
// Plain data, so that the texts and the geometry can be checked without
// windows; the Windows layer builds the real controls from it.
#pragma once

#include <cstdint>
#include <span>

namespace pelmora::pages {

// The enumerations are one byte and the positions two: the layouts are
// tables of some hundred controls that the setup program carries.
enum class ControlKind : std::uint8_t {
  Label,          // static text
  Link,           // static text that reacts to clicks (blue, underlined)
  Button,         // push button
  DefaultButton,  // push button that Enter presses
  CheckBox,
  RadioGroup,    // group box; its items are radio buttons made at run time
  Edit,          // single line
  PasswordEdit,  // single line, every character shown as '*'
  Memo,          // multi-line, read-only, vertical scroll bar
  ProgressBar,   // 0..100, smooth
  Separator,     // etched line
  Bevel,         // etched frame
  Image,         // a bitmap painted by the page
  WhitePanel,    // a white rectangle painted by the page
  RaisedPanel,   // a panel with a raised inner and lowered outer bevel
};

enum class FontKind : std::uint8_t {
  Normal,     // "MS Sans Serif" 8 pt
  Bold,       // the same, bold
  Title24,    // "Arial", 24 pixels high
  Title18,    // "Arial", 18 pixels high
  Heading16,  // "Arial", 16 pixels high
};

// The picture an Image control shows.
enum class Picture : std::uint8_t { None, WizardStrip, Header, AboutLogo, InstallBox, InstallArrow, InstallPc };

inline constexpr int kNoTabStop = -1;

struct ControlLayout {
  int id = 0;             // control id, unique in its window
  const char* name = "";  // the control's name, for messages and tests
  const char* german = "";  // text of the layout (Windows-1252)
  // English text: nullptr keeps the German text in English mode, "" empties it.
  const char* english = nullptr;
  std::int16_t left = 0, top = 0, width = 0, height = 0;
  std::int16_t tabOrder = kNoTabStop;
  ControlKind kind = ControlKind::Label;
  FontKind font = FontKind::Normal;
  Picture picture = Picture::None;
  bool hidden = false;
  bool disabled = false;
  bool wordWrap = false;
  bool transparent = false;  // drawn over what the page paints behind it
  bool grey = false;         // grey text
  bool whiteBackground = false;

  // Builders, so that a layout line names only what differs from the default.
  constexpr ControlLayout En(const char* text) const { return With(&ControlLayout::english, text); }
  constexpr ControlLayout Tab(int order) const {
    return With(&ControlLayout::tabOrder, static_cast<std::int16_t>(order));
  }
  constexpr ControlLayout Font(FontKind f) const { return With(&ControlLayout::font, f); }
  constexpr ControlLayout Show(Picture p) const { return With(&ControlLayout::picture, p); }
  constexpr ControlLayout Hidden() const { return With(&ControlLayout::hidden, true); }
  constexpr ControlLayout Disabled() const { return With(&ControlLayout::disabled, true); }
  constexpr ControlLayout Wrap() const { return With(&ControlLayout::wordWrap, true); }
  constexpr ControlLayout Transparent() const { return With(&ControlLayout::transparent, true); }
  constexpr ControlLayout Grey() const { return With(&ControlLayout::grey, true); }
  constexpr ControlLayout White() const { return With(&ControlLayout::whiteBackground, true); }

 private:
  template <typename T>
  constexpr ControlLayout With(T ControlLayout::*member, T value) const {
    ControlLayout copy = *this;
    copy.*member = value;
    return copy;
  }
};

constexpr ControlLayout C(int id, const char* name, ControlKind kind, int left, int top, int width,
                          int height, const char* german) {
  ControlLayout c{};
  c.id = id;
  c.name = name;
  c.kind = kind;
  c.left = static_cast<std::int16_t>(left);
  c.top = static_cast<std::int16_t>(top);
  c.width = static_cast<std::int16_t>(width);
  c.height = static_cast<std::int16_t>(height);
  c.german = german;
  return c;
}

enum class Placement { CentredOnScreen, CentredOnMainWindow };

struct WindowLayout {
  const char* name;  // the class name the window plays, e.g. "TInfos"
  const char* germanCaption;
  const char* englishCaption;  // nullptr: unchanged
  int clientWidth, clientHeight;
  bool closeBox;  // border icons: only the two small modal windows have them
  Placement placement;
  std::span<const ControlLayout> controls;
};

// The windows, in the order the program creates them.
const WindowLayout& WelcomeLayout();
const WindowLayout& InformationLayout();
const WindowLayout& TargetDirectoryLayout();
const WindowLayout& FinishedLayout();
const WindowLayout& PasswordLayout();
const WindowLayout& InstallationLayout();
const WindowLayout& AboutLayout();
const WindowLayout& ExistingInstallationLayout();

std::span<const WindowLayout* const> AllLayouts();

// The text a control shows in the given language.
inline const char* TextFor(const ControlLayout& c, bool english) {
  return english && c.english ? c.english : c.german;
}
inline const char* CaptionFor(const WindowLayout& w, bool english) {
  return english && w.englishCaption ? w.englishCaption : w.germanCaption;
}

// Looks a control up by id; nullptr when the window has none.
const ControlLayout* FindControl(const WindowLayout& window, int id);

}  // namespace pelmora::pages
