#include "controls/gradient_logic.h"

#include <cmath>

namespace sky {

namespace {
std::uint8_t Step(std::uint8_t start, std::uint8_t stop, int n, int j) {
  // The division comes first, as in the original arithmetic, so the table
  // matches it to the last byte.
  const double delta = (static_cast<double>(stop) - static_cast<double>(start)) / (n - 1);
  const long v = static_cast<long>(start) + static_cast<long>(std::nearbyint(delta * j));
  return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}
}  // namespace

std::vector<Rgb> BuildColorTable(Rgb start, Rgb stop, int n) {
  std::vector<Rgb> t;
  if (n < 2) return t;
  t.reserve(static_cast<std::size_t>(n));
  for (int j = 0; j < n; ++j)
    t.push_back(Rgb{Step(start.r, stop.r, n, j), Step(start.g, stop.g, n, j), Step(start.b, stop.b, n, j)});
  return t;
}

GradientCaptionColors::GradientCaptionColors(SystemColorFn systemColor) : systemColor_(std::move(systemColor)) {
  BuildColorTables();
}

Rgb GradientCaptionColors::Resolve(TColor c) const {
  if ((static_cast<std::uint32_t>(c) & 0x80000000u) && systemColor_) return systemColor_(c);
  return ColorToRgb(c);
}

void GradientCaptionColors::SetGradientColors(int n) {
  if (n < kMinGradientColors || n > kMaxGradientColors || n == gradientColors_) return;
  gradientColors_ = n;
  BuildColorTables();
}

bool GradientCaptionColors::IsSystemStop(TColor c, TColor system) const {
  return c == system || Resolve(c) == Resolve(system);
}

void GradientCaptionColors::SetGradientStartColor(TColor c) {
  activeStart_ = c;
  BuildColorTables();
}
void GradientCaptionColors::SetGradientInactiveStartColor(TColor c) {
  inactiveStart_ = c;
  BuildColorTables();
}
void GradientCaptionColors::SetGradientStopColor(TColor c) {
  activeStop_ = c;
  activeFollows_ = IsSystemStop(c, clActiveCaption);
  BuildColorTables();
}
void GradientCaptionColors::SetGradientInactiveStopColor(TColor c) {
  inactiveStop_ = c;
  inactiveFollows_ = IsSystemStop(c, clInactiveCaption);
  BuildColorTables();
}

void GradientCaptionColors::SystemColorsChanged() {
  if (activeFollows_) activeStop_ = clActiveCaption;
  if (inactiveFollows_) inactiveStop_ = clInactiveCaption;
  BuildColorTables();
}

void GradientCaptionColors::BuildColorTables() {
  inactiveTable_ = BuildColorTable(Resolve(inactiveStart_), Resolve(inactiveStop_), gradientColors_);
  activeTable_ = BuildColorTable(Resolve(activeStart_), Resolve(activeStop_), gradientColors_);
}

bool PaintsGradient(TGFPaintWhen when, bool active) { return when == gfpAlways || (when == gfpActive && active); }

int BandLeft(int width, int i, int n) {
  if (n <= 0) return 0;
  return static_cast<int>(std::nearbyint(static_cast<double>(width) * i / n));
}

bool IsToolWindow(TBorderStyle s) { return s == TBorderStyle::bsToolWindow || s == TBorderStyle::bsSizeToolWin; }

int FrameWidth(TBorderStyle s, const CaptionMetrics& m) {
  switch (s) {
    case TBorderStyle::bsNone: return 0;
    case TBorderStyle::bsSizeable:
    case TBorderStyle::bsSizeToolWin: return m.sizingFrame;
    default: return m.dialogFrame;
  }
}

CaptionRect GetCaptionRect(int windowWidth, int windowHeight, TBorderStyle s, const CaptionMetrics& m) {
  if (s == TBorderStyle::bsNone) return {};
  const int f = FrameWidth(s, m);
  CaptionRect r{f, f, windowWidth - 1 - f, 0};
  r.bottom = r.top + (IsToolWindow(s) ? m.smallCaptionHeight : m.captionHeight) - 1;
  if (r.bottom > windowHeight - 1 - f) r.bottom = windowHeight - 1 - f;
  return r;
}

bool PaintsIcon(TBorderStyle s, TBorderIcons icons) {
  return icons.biSystemMenu && (s == TBorderStyle::bsSingle || s == TBorderStyle::bsSizeable);
}

ButtonLayout LayoutButtons(const CaptionRect& caption, TBorderStyle s, TBorderIcons icons, bool maximized,
                           const CaptionMetrics& m) {
  ButtonLayout out;
  CaptionRect inner{caption.left + 2, caption.top + 2, caption.right - 2, caption.bottom - 2};
  int right = inner.right;
  auto place = [&](CaptionButton b, int width, bool enabled, int gapAfter) {
    ButtonPlace p{b, {right - width + 1, inner.top, right, inner.bottom}, enabled};
    out.buttons.push_back(p);
    right -= width + gapAfter;
  };
  if (s == TBorderStyle::bsNone) {
    out.textRight = caption.right;
    return out;
  }
  if (IsToolWindow(s)) {
    if (icons.biSystemMenu) place(CaptionButton::Close, m.smallButtonWidth, true, 2);
  } else if (icons.biSystemMenu) {
    place(CaptionButton::Close, m.buttonWidth, true, 2);
    if ((s == TBorderStyle::bsSingle || s == TBorderStyle::bsSizeable) && (icons.biMinimize || icons.biMaximize)) {
      place(maximized ? CaptionButton::Restore : CaptionButton::Maximize, m.buttonWidth, icons.biMaximize, 0);
      place(CaptionButton::Minimize, m.buttonWidth, icons.biMinimize, 2);
    }
    if (icons.biHelp) place(CaptionButton::Help, m.buttonWidth, true, 2);
  }
  // Past the last button drawn, and three pixels of air.
  out.textRight = out.buttons.empty() ? caption.right : out.buttons.back().rect.left - 3;
  return out;
}

}  // namespace sky
