#include "controls/gif_animation.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace sky {

namespace {
constexpr std::uint32_t kBlack = 0xFF000000u;
}

// ---------------------------------------------------------------- canvas

void GifCanvas::Reset(int w, int h, bool withMask) {
  w_ = std::max(w, 0);
  h_ = std::max(h, 0);
  const std::size_t n = static_cast<std::size_t>(w_) * h_;
  pixels_.assign(n, kBlack);
  if (withMask) mask_.assign(n, 1);
  else mask_.clear();
}

void GifCanvas::Free() {
  w_ = h_ = 0;
  pixels_.clear();
  pixels_.shrink_to_fit();
  mask_.clear();
  mask_.shrink_to_fit();
}

GifRect GifCanvas::Clip(const GifFrame& f) const {
  GifRect r;
  r.left = std::min(f.left, w_);
  r.top = std::min(f.top, h_);
  r.width = std::max(0, std::min(f.left + f.width, w_) - r.left);
  r.height = std::max(0, std::min(f.top + f.height, h_) - r.top);
  return r;
}

void GifCanvas::Draw(const GifFrame& f, Saved* save) {
  const GifRect r = Clip(f);
  if (r.width == 0 || r.height == 0) return;
  const std::size_t rw = static_cast<std::size_t>(r.width);

  if (f.disposal == 3 && save) {
    save->pixels.resize(rw * r.height);
    save->mask.resize(HasMask() ? rw * r.height : 0);
    for (int y = 0; y < r.height; ++y) {
      const std::size_t at = static_cast<std::size_t>(r.top + y) * w_ + r.left;
      std::copy_n(&pixels_[at], rw, &save->pixels[y * rw]);
      if (HasMask()) std::copy_n(&mask_[at], rw, &save->mask[y * rw]);
    }
  }

  std::array<std::uint32_t, 256> lut;
  for (int i = 0; i < 256; ++i) lut[i] = GifArgb(f.ColorOf(static_cast<std::uint8_t>(i)));

  for (int y = 0; y < r.height; ++y) {
    const std::uint8_t* src = &f.indices[static_cast<std::size_t>(r.top - f.top + y) * f.width + (r.left - f.left)];
    const std::size_t at = static_cast<std::size_t>(r.top + y) * w_ + r.left;
    std::uint32_t* dst = &pixels_[at];
    if (f.transparent) {
      std::uint8_t* m = HasMask() ? &mask_[at] : nullptr;
      for (std::size_t x = 0; x < rw; ++x) {
        if (src[x] == f.transparentIndex) continue;
        dst[x] = lut[src[x]];
        if (m) m[x] = 0;
      }
    } else {
      for (std::size_t x = 0; x < rw; ++x) dst[x] = lut[src[x]];
      if (HasMask()) std::fill_n(&mask_[at], rw, 0);
    }
  }
}

void GifCanvas::Dispose(const GifFrame& f, const Saved* save) {
  const GifRect r = Clip(f);
  if (r.width == 0 || r.height == 0) return;
  const std::size_t rw = static_cast<std::size_t>(r.width);
  if (f.disposal == 2) {
    for (int y = 0; y < r.height; ++y) {
      const std::size_t at = static_cast<std::size_t>(r.top + y) * w_ + r.left;
      std::fill_n(&pixels_[at], rw, kBlack);
      if (HasMask()) std::fill_n(&mask_[at], rw, 1);
    }
  } else if (f.disposal == 3 && save && save->pixels.size() == rw * r.height) {
    for (int y = 0; y < r.height; ++y) {
      const std::size_t at = static_cast<std::size_t>(r.top + y) * w_ + r.left;
      std::copy_n(&save->pixels[y * rw], rw, &pixels_[at]);
      if (HasMask() && save->mask.size() == save->pixels.size()) std::copy_n(&save->mask[y * rw], rw, &mask_[at]);
    }
  }
}

std::vector<std::uint32_t> GifCanvas::ToArgb(bool useMask) const {
  std::vector<std::uint32_t> out = pixels_;
  if (useMask && HasMask())
    for (std::size_t i = 0; i < out.size(); ++i)
      if (mask_[i]) out[i] = 0;
  return out;
}

// ------------------------------------------------------------- animation

void GifAnimation::Load(GifImage image) {
  Clear();
  image_ = std::move(image);
  if (image_.frames.empty() || image_.width <= 0 || image_.height <= 0) {
    image_ = GifImage{};
    return;
  }
  saves_.assign(image_.frames.size(), {});
  canvas_.Reset(image_.width, image_.height, image_.anyTransparent);
  current_ = 1;
  shown_ = 0;
  firstStepPending_ = true;
  timerInterval_ = 1;
  Fire(onChanging);
  DrawFrame(1);
  Fire(onChange);
}

void GifAnimation::Clear() {
  timerRunning_ = false;
  image_ = GifImage{};
  saves_.clear();
  canvas_.Free();
  current_ = 1;
  shown_ = 0;
  pass_ = 1;
  firstStepPending_ = false;
  Fire(onRepaint);
}

void GifAnimation::DrawFrame(int frame) {
  if (frame < 1 || frame > FrameCount()) return;
  canvas_.Draw(image_.frames[frame - 1], &saves_[frame - 1]);
  shown_ = frame;
}

void GifAnimation::DisposeFrame(int frame) {
  if (frame < 1 || frame > FrameCount()) return;
  canvas_.Dispose(image_.frames[frame - 1], &saves_[frame - 1]);
}

int GifAnimation::FrameInterval(int frame) const {
  if (frame < 1 || frame > FrameCount()) frame = 1;
  if (FrameCount() == 0) return 1;
  const long long delay = std::max(image_.frames[frame - 1].delayMs, 50);
  return static_cast<int>(std::max<long long>(delay * 100 / speed_, 1));
}

bool GifAnimation::Finished() const { return image_.loopCount > 0 && pass_ > image_.loopCount && !loop_; }

bool GifAnimation::SetCurrentFrame(int n) {
  if (n < 1 || n > FrameCount()) return false;
  Fire(onChanging);
  DisposeFrame(shown_);
  DrawFrame(n);
  current_ = n;
  Fire(onRepaint);
  Fire(onChange);
  return true;
}

void GifAnimation::SetAnimate(bool on) {
  animate_ = on;
  pass_ = 1;
  timerInterval_ = FrameInterval(current_);
  timerRunning_ = on && Animated() && !loading_ && HasPicture();
  // Also right after a wrap, when CurrentFrame is already 1 but the last
  // frame is still on the canvas.
  if (!on && HasPicture() && (current_ >= 2 || shown_ != 1)) {
    // Back to frame 1 as it looked when loaded, not over the leftovers of
    // the frames shown since.
    canvas_.Reset(image_.width, image_.height, image_.anyTransparent);
    current_ = 1;
    DrawFrame(1);
    firstStepPending_ = true;
    Fire(onRepaint);
  }
}

void GifAnimation::SetLoop(bool on) {
  const bool wasFinished = Finished();
  loop_ = on;
  if (on && wasFinished) {
    current_ = 1;
    pass_ = 1;
    timerRunning_ = animate_ && Animated() && !loading_ && HasPicture();
  }
}

void GifAnimation::SetSpeed(int percent) {
  speed_ = std::max(percent, 1);
  timerInterval_ = 1;
}

void GifAnimation::Step() {
  if (loading_ || !HasPicture() || !animate_) return;
  const int count = FrameCount();
  if (current_ < 1 || current_ > count) current_ = 1;
  Fire(onChanging);
  if (firstStepPending_) {
    firstStepPending_ = false;
  } else {
    DisposeFrame(shown_ ? shown_ : count);
    DrawFrame(current_);
    Fire(onRepaint);
  }
  timerInterval_ = FrameInterval(current_);
  bool wrapped = false;
  if (++current_ > count) {
    wrapped = true;
    if (!loop_ && image_.loopCount > 0) {
      ++pass_;
      timerRunning_ = image_.loopCount >= pass_;
    } else {
      current_ = 1;
    }
  }
  Fire(onChange);
  if (wrapped) Fire(onWrap);
}

void GifAnimation::AfterPaint() { timerRunning_ = Animated() && animate_ && HasPicture() && !loading_ && !Finished(); }

// ------------------------------------------------------------- placement

bool GifPlacementStretched(int w, int h, int W, int H, const GifPlacement& p) {
  return (p.stretch || p.stretchRatio) && (w != W || h != H);
}

GifRect GifPlacementRect(int w, int h, int W, int H, const GifPlacement& p) {
  if (GifPlacementStretched(w, h, W, H, p)) {
    if (p.stretch || w <= 0 || h <= 0) return {0, 0, W, H};
    const double sx = static_cast<double>(W) / w;
    const double sy = static_cast<double>(H) / h;
    if (sx <= sy) {
      const double sh = h * sx;
      return {0, static_cast<int>(std::lround((H - sh) / 2)), W, static_cast<int>(std::lround(sh))};
    }
    const double sw = w * sy;
    return {static_cast<int>(std::lround((W - sw) / 2)), 0, static_cast<int>(std::lround(sw)), H};
  }
  if (p.tile) return {0, 0, W, H};
  if (p.center) return {(W - w) / 2, (H - h) / 2, w, h};
  return {0, 0, w, h};
}

std::vector<GifRect> GifTileRects(int w, int h, int W, int H) {
  std::vector<GifRect> out;
  if (w <= 0 || h <= 0 || W < 0 || H < 0) return out;
  for (int j = 0; j <= H / h; ++j)
    for (int i = 0; i <= W / w; ++i) out.push_back({i * w, j * h, w, h});
  return out;
}

}  // namespace sky
