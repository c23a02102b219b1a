// TGifControl: shows a GIF picture (GIF87a/GIF89a), optionally animated by
// its own TTimerEx. Decoding, composition and the animation state live in the
// core (gif_decoder.h, gif_animation.h); this widget loads, paints and runs
// the timer.
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <istream>
#include <span>
#include <string>
#include <vector>

#include "controls/TimerEx.h"
#include "controls/gif_animation.h"
#include "controls/gif_decoder.h"

namespace sky::ui {

class TGifControl : public QWidget {
  Q_OBJECT
 public:
  using TNotifyEvent = std::function<void(TGifControl* sender)>;
  using TProgressEvent = std::function<void(TGifControl* sender, long long BytesProcessed, long long BytesToProcess,
                                            int PercentageProcessed, bool& KeepOnProcessing)>;

  explicit TGifControl(QWidget* parent = nullptr);
  ~TGifControl() override;

  // Loading. All return false on failure; see Status() for the reason.
  // A missing file gives status 7 and leaves the shown picture alone; data
  // that is not a usable GIF clears the control.
  bool LoadFromFile(const std::string& fileName);
  bool LoadFromStream(std::istream& in);
  bool LoadFromStream(std::span<const std::uint8_t> bytes);
  bool LoadFromStream(const void* data, std::size_t size) {
    return LoadFromStream(std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data), size));
  }
  void Clear();
  // Loads the bytes held by `other`; nullptr clears.
  void Assign(const TGifControl* other);
  // The first frame's picture (8 bits per pixel with its colour table);
  // a null image when nothing is loaded.
  QImage ToBitmap() const;

  // Form data "Data": a 32-bit little-endian length and the GIF bytes;
  // empty when no bytes are held.
  virtual std::vector<std::uint8_t> WriteData() const;
  // Takes a "Data" block and loads it. False for a short block or bad GIF.
  virtual bool ReadData(std::span<const std::uint8_t> block);
  // The GIF bytes held (those last loaded).
  const std::vector<std::uint8_t>& Data() const { return stored_; }

  // Published properties.
  bool Animate() const { return anim_.Animate(); }
  void SetAnimate(bool v);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  bool Center() const { return place_.center; }
  void SetCenter(bool v);
  int CurrentFrame() const { return anim_.CurrentFrame(); }
  void SetCurrentFrame(int n);
  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool v) { doubleBuffered_ = v; }
  bool FirstImageOnly() const { return firstImageOnly_; }
  void SetFirstImageOnly(bool v) { firstImageOnly_ = v; }
  bool Loop() const { return anim_.Loop(); }
  void SetLoop(bool v);
  bool Opaque() const { return opaque_; }
  void SetOpaque(bool v);
  int Speed() const { return anim_.Speed(); }
  void SetSpeed(int percent);
  bool Stretch() const { return place_.stretch; }
  void SetStretch(bool v);
  bool StretchRatio() const { return place_.stretchRatio; }
  void SetStretchRatio(bool v);
  bool Tile() const { return place_.tile; }
  void SetTile(bool v);
  bool Threaded() const { return timer_->Threaded(); }
  void SetThreaded(bool v) { timer_->SetThreaded(v); }
  TThreadPriority ThreadPriority() const { return timer_->ThreadPriority(); }
  void SetThreadPriority(TThreadPriority p) { timer_->SetThreadPriority(p); }
  TGifVersion Version() const { return anim_.Image().version; }
  QColor Color() const { return color_; }
  void SetColor(const QColor& c);

  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;
  TProgressEvent OnProgress;
  TNotifyEvent OnWrapAnimation;

  // State for callers and tests.
  int Status() const { return status_; }
  int FrameCount() const { return anim_.FrameCount(); }
  bool HasPicture() const { return anim_.HasPicture(); }
  QSize PictureSize() const { return {anim_.Canvas().Width(), anim_.Canvas().Height()}; }
  int LoopCount() const { return anim_.LoopCount(); }
  const GifAnimation& Animation() const { return anim_; }
  TTimerEx* Timer() const { return timer_; }
  // The placement rectangle in the control's current size.
  QRect PlacementRect() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

  virtual bool LoadImage();
  virtual void Changing();
  virtual void Change();
  virtual bool Progress(std::size_t processed, std::size_t total, int percent);

 private:
  void SyncTimer();
  void TimerTick();
  void FrameChanged();
  bool ComputeOpaque() const;
  const QImage& Picture();

  GifAnimation anim_;
  TTimerEx* timer_;
  GifPlacement place_;
  bool autoSize_ = false;
  bool doubleBuffered_ = true;
  bool firstImageOnly_ = false;
  bool opaque_ = false;
  bool opaqueFlag_ = false;
  QColor color_;
  int status_ = kGifNoData;
  std::vector<std::uint8_t> stored_;  // the GIF bytes held
  std::vector<std::uint8_t> work_;    // the bytes being decoded
  QImage picture_;
  bool pictureDirty_ = true;
};

}  // namespace sky::ui
