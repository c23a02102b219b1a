// Composition of GIF frames onto one picture, the animation state of the GIF
// control and its placement rules. Plain C++: the Qt control only paints the
// canvas and runs the timer that this state asks for.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "controls/gif_decoder.h"

namespace sky {

struct GifRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const GifRect&) const = default;
};

// The composed picture: colours as 0xFFRRGGBB and, when any frame is
// transparent, a mask with 1 where the picture is transparent ("white").
class GifCanvas {
 public:
  // A canvas of w x h, black; with a mask, the mask starts all transparent.
  void Reset(int w, int h, bool withMask);
  void Free();
  bool Empty() const { return pixels_.empty(); }
  bool HasMask() const { return !mask_.empty(); }
  int Width() const { return w_; }
  int Height() const { return h_; }
  const std::vector<std::uint32_t>& Pixels() const { return pixels_; }
  const std::vector<std::uint8_t>& Mask() const { return mask_; }
  std::uint32_t PixelAt(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * w_ + x]; }
  bool TransparentAt(int x, int y) const { return HasMask() && mask_[static_cast<std::size_t>(y) * w_ + x]; }

  // Saved area under a frame, for disposal 3 ("restore to previous").
  struct Saved {
    std::vector<std::uint32_t> pixels;
    std::vector<std::uint8_t> mask;
  };

  // Draws frame f: transparent pixels keep what is below, the others take
  // the frame's colour; under an opaque frame the mask becomes opaque.
  // With disposal 3 the area under f is first saved into `save`.
  void Draw(const GifFrame& f, Saved* save);
  // Disposal of f before the next frame: 2 clears its area to black and
  // transparent, 3 puts `save` back, 0 and 1 leave it.
  void Dispose(const GifFrame& f, const Saved* save);

  // The picture as 0xAARRGGBB (premultiplied is the same here: alpha is 0
  // or 255 and transparent pixels are black), transparent where the mask
  // says so when `useMask`.
  std::vector<std::uint32_t> ToArgb(bool useMask) const;

 private:
  GifRect Clip(const GifFrame& f) const;
  int w_ = 0, h_ = 0;
  std::vector<std::uint32_t> pixels_;
  std::vector<std::uint8_t> mask_;
};

inline std::uint32_t GifArgb(GifColor c) {
  return 0xFF000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

// Animation state of the control: the loaded image, the shown frame, the
// pass counter and the timer the control should run. The owner mirrors
// TimerRunning()/TimerInterval() onto its timer after every call and
// repaints when `onRepaint` fires.
class GifAnimation {
 public:
  std::function<void()> onChanging;
  std::function<void()> onChange;
  std::function<void()> onWrap;
  std::function<void()> onRepaint;

  // Takes a decoded image, composes frame 1 (firing onChanging/onChange).
  void Load(GifImage image);
  // Frees the frames and the picture; frame 1, loop count 1, pass 1.
  void Clear();

  bool HasPicture() const { return !canvas_.Empty(); }
  const GifImage& Image() const { return image_; }
  const GifCanvas& Canvas() const { return canvas_; }
  int FrameCount() const { return static_cast<int>(image_.frames.size()); }
  bool Animated() const { return FrameCount() > 1; }
  // Frame 1 transparent: the painter lets the background show through.
  bool FirstFrameTransparent() const { return !image_.frames.empty() && image_.frames[0].transparent; }

  int CurrentFrame() const { return current_; }
  // False (nothing changes) when n is outside 1..FrameCount().
  bool SetCurrentFrame(int n);

  bool Animate() const { return animate_; }
  void SetAnimate(bool on);
  bool Loop() const { return loop_; }
  void SetLoop(bool on);
  int Speed() const { return speed_; }
  void SetSpeed(int percent);
  int LoopCount() const { return image_.loopCount; }
  int PassCounter() const { return pass_; }
  bool Finished() const;

  void SetLoading(bool loading) { loading_ = loading; }
  bool Loading() const { return loading_; }

  // One timer tick.
  void Step();
  // After every paint: run the timer exactly when an animated picture is
  // loaded, Animate is set and the passes are not used up.
  void AfterPaint();

  bool TimerRunning() const { return timerRunning_; }
  int TimerInterval() const { return timerInterval_; }

 private:
  void Fire(const std::function<void()>& f) {
    if (f) f();
  }
  int FrameInterval(int frame) const;  // 1-based
  void DrawFrame(int frame);
  void DisposeFrame(int frame);

  GifImage image_;
  GifCanvas canvas_;
  std::vector<GifCanvas::Saved> saves_;
  int current_ = 1;
  int shown_ = 0;  // the frame last drawn on the canvas
  int pass_ = 1;
  bool animate_ = false;
  bool loop_ = false;
  int speed_ = 100;
  bool loading_ = false;
  bool firstStepPending_ = false;
  bool timerRunning_ = false;
  int timerInterval_ = 1000;
};

struct GifPlacement {
  bool stretch = false;
  bool stretchRatio = false;
  bool tile = false;
  bool center = false;
};

// Where a w x h picture goes in a W x H control.
GifRect GifPlacementRect(int w, int h, int W, int H, const GifPlacement& p);
// Whether the placement draws stretched (one draw into GifPlacementRect).
bool GifPlacementStretched(int w, int h, int W, int H, const GifPlacement& p);
// Top-left corners of the tiles covering a W x H control.
std::vector<GifRect> GifTileRects(int w, int h, int W, int H);

}  // namespace sky
