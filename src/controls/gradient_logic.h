// The rules of the gradient caption, without a display: the two colour
// tables, the limits of the step count, when the gradient is painted, the
// bands of a narrow caption and where the caption buttons go. The Qt form in
// GradForm.h paints what these decide.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "settings/colors.h"

namespace sky {

enum TGFPaintWhen { gfpAlways = 0, gfpActive = 1, gfpNever = 2 };

enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

struct TBorderIcons {
  bool biSystemMenu = true;
  bool biMinimize = true;
  bool biMaximize = true;
  bool biHelp = false;
};

inline constexpr int kMinGradientColors = 8;
inline constexpr int kMaxGradientColors = 512;

// Colour j of a table of n: start + round((stop - start) / (n - 1) * j) for
// each byte, with halves rounded to even as the original arithmetic did.
std::vector<Rgb> BuildColorTable(Rgb start, Rgb stop, int n);

// The colours and the step count of one caption with their two tables. The
// system's caption colours come from `systemColor` (index of the system
// colour, as in clActiveCaption); without it the classic scheme is used.
class GradientCaptionColors {
 public:
  using SystemColorFn = std::function<Rgb(TColor systemColor)>;
  explicit GradientCaptionColors(SystemColorFn systemColor = {});

  int GradientColors() const { return gradientColors_; }
  // Ignored outside 8...512.
  void SetGradientColors(int n);

  TColor GradientStartColor() const { return activeStart_; }
  TColor GradientStopColor() const { return activeStop_; }
  TColor GradientInactiveStartColor() const { return inactiveStart_; }
  TColor GradientInactiveStopColor() const { return inactiveStop_; }
  void SetGradientStartColor(TColor c);
  void SetGradientStopColor(TColor c);
  void SetGradientInactiveStartColor(TColor c);
  void SetGradientInactiveStopColor(TColor c);

  // True while the stop colour is the system's caption colour and so moves
  // with it.
  bool ActiveStopFollowsSystem() const { return activeFollows_; }
  bool InactiveStopFollowsSystem() const { return inactiveFollows_; }

  // The system colours changed: stop colours that follow them are reset to
  // them and the tables rebuilt.
  void SystemColorsChanged();

  // The current tables (GradientColors entries each).
  const std::vector<Rgb>& ActiveTable() const { return activeTable_; }
  const std::vector<Rgb>& InactiveTable() const { return inactiveTable_; }
  void BuildColorTables();

  // A colour as it paints: system colours through the system.
  Rgb Resolve(TColor c) const;

 private:
  bool IsSystemStop(TColor c, TColor system) const;

  SystemColorFn systemColor_;
  int gradientColors_ = 64;
  TColor activeStart_ = clBlack;
  TColor activeStop_ = clActiveCaption;
  TColor inactiveStart_ = clBlack;
  TColor inactiveStop_ = clInactiveCaption;
  bool activeFollows_ = true;
  bool inactiveFollows_ = true;
  std::vector<Rgb> activeTable_;
  std::vector<Rgb> inactiveTable_;
};

// Whether the caption shows the gradient (else the solid system colour).
bool PaintsGradient(TGFPaintWhen when, bool active);

// Left edges of the n bands of a caption narrower than n pixels:
// band i starts at round(width * i / n).
int BandLeft(int width, int i, int n);

struct CaptionRect {
  int left = 0, top = 0, right = -1, bottom = -1;  // inclusive, as drawn
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
  bool Empty() const { return right < left || bottom < top; }
};

// The frame and caption measures of the classic desktop.
struct CaptionMetrics {
  int sizingFrame = 4;
  int dialogFrame = 3;
  int captionHeight = 18;
  int smallCaptionHeight = 15;
  int smallIcon = 16;
  int buttonWidth = 16;  // caption buttons are this wide and captionHeight - 4 high
  int smallButtonWidth = 13;
};

bool IsToolWindow(TBorderStyle s);
int FrameWidth(TBorderStyle s, const CaptionMetrics& m = {});
// The window rectangle moved to (0, 0), shrunk by the frame, one caption
// high. Empty for a form without border.
CaptionRect GetCaptionRect(int windowWidth, int windowHeight, TBorderStyle s, const CaptionMetrics& m = {});

enum class CaptionButton { Close, Maximize, Restore, Minimize, Help };
struct ButtonPlace {
  CaptionButton button;
  CaptionRect rect;
  bool enabled = true;
};
struct ButtonLayout {
  std::vector<ButtonPlace> buttons;  // from the right
  int textRight = 0;                 // right edge left for the text
};
// Where the caption buttons go inside `caption` (shrunk by 2 pixels), from
// the right, as the border style and icons ask for them.
ButtonLayout LayoutButtons(const CaptionRect& caption, TBorderStyle s, TBorderIcons icons, bool maximized,
                           const CaptionMetrics& m = {});

// Whether the icon is painted: a system menu and a single or sizeable border.
bool PaintsIcon(TBorderStyle s, TBorderIcons icons);

}  // namespace sky
