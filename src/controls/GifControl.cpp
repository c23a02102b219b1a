#include "controls/GifControl.h"

#include <QPaintEvent>
#include <QPainter>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace sky::ui {

TGifControl::TGifControl(QWidget* parent) : QWidget(parent), timer_(new TTimerEx(this)) {
  resize(105, 105);
  color_ = palette().color(QPalette::Window);
  timer_->SetEnabled(false);
  timer_->SetOnTimer([this](TTimerEx*) { TimerTick(); });
  anim_.onChanging = [this] { Changing(); };
  anim_.onChange = [this] { Change(); };
  anim_.onWrap = [this] {
    if (OnWrapAnimation) OnWrapAnimation(this);
  };
  anim_.onRepaint = [this] { FrameChanged(); };
}

TGifControl::~TGifControl() {
  // Stop the timer and cut it loose before the animation state goes away;
  // the timer itself is deleted with the other children afterwards.
  timer_->SetEnabled(false);
  timer_->SetOnTimer(nullptr);
  anim_.onChanging = anim_.onChange = anim_.onWrap = anim_.onRepaint = nullptr;
}

// ---------------------------------------------------------------- loading

bool TGifControl::LoadFromFile(const std::string& fileName) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(fileName, ec)) {
    status_ = kGifFileNotFound;
    return false;
  }
  std::ifstream in(fileName, std::ios::binary);
  if (!in) {
    status_ = kGifFileNotFound;
    return false;
  }
  return LoadFromStream(in);
}

bool TGifControl::LoadFromStream(std::istream& in) {
  work_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return LoadImage();
}

bool TGifControl::LoadFromStream(std::span<const std::uint8_t> bytes) {
  work_.assign(bytes.begin(), bytes.end());
  return LoadImage();
}

bool TGifControl::LoadImage() {
  status_ = kGifLoading;
  anim_.Clear();
  anim_.SetLoading(true);
  SyncTimer();
  stored_ = std::move(work_);
  work_.clear();

  GifDecodeOptions opt;
  opt.firstImageOnly = firstImageOnly_;
  if (OnProgress)
    opt.progress = [this](const GifProgressInfo& p) {
      return Progress(p.bytesProcessed, p.bytesToProcess, p.percentage);
    };
  GifDecodeResult res = DecodeGif(stored_, opt);
  anim_.SetLoading(false);

  if (!res.ok && (res.status != kGifStopped || res.image.frames.empty())) {
    const int status = res.status;
    if (status != kGifStopped) stored_.clear();
    Clear();
    status_ = status;
    return false;
  }
  anim_.Load(std::move(res.image));
  if (autoSize_) resize(PictureSize());
  status_ = res.ok ? kGifLoaded : kGifStopped;
  pictureDirty_ = true;
  updateGeometry();
  update();
  SyncTimer();
  return res.ok;
}

void TGifControl::Clear() {
  anim_.Clear();
  stored_.clear();
  picture_ = QImage();
  pictureDirty_ = true;
  SyncTimer();
  update();
}

void TGifControl::Assign(const TGifControl* other) {
  if (!other) {
    Clear();
    return;
  }
  std::vector<std::uint8_t> bytes = other->stored_;
  LoadFromStream(bytes);
}

QImage TGifControl::ToBitmap() const {
  if (anim_.FrameCount() == 0) return {};
  const GifFrame& f = anim_.Image().frames[0];
  QImage img(f.width, f.height, QImage::Format_Indexed8);
  QList<QRgb> table(256, qRgb(0, 0, 0));
  for (std::size_t i = 0; i < f.colorTable.size() && i < 256; ++i)
    table[static_cast<int>(i)] = qRgb(f.colorTable[i].r, f.colorTable[i].g, f.colorTable[i].b);
  img.setColorTable(table);
  for (int y = 0; y < f.height; ++y)
    std::copy_n(&f.indices[static_cast<std::size_t>(y) * f.width], f.width, img.scanLine(y));
  return img;
}

std::vector<std::uint8_t> TGifControl::WriteData() const {
  if (stored_.empty()) return {};
  return EncodeGifFormData(stored_);
}

bool TGifControl::ReadData(std::span<const std::uint8_t> block) {
  std::vector<std::uint8_t> bytes;
  if (!DecodeGifFormData(block, bytes)) {
    status_ = kGifBadData;
    return false;
  }
  if (bytes.empty()) return false;
  return LoadFromStream(bytes);
}

// ------------------------------------------------------------- properties

void TGifControl::SetAnimate(bool v) {
  anim_.SetAnimate(v);
  SyncTimer();
}

void TGifControl::SetAutoSize(bool v) {
  autoSize_ = v;
  if (v && HasPicture()) resize(PictureSize());
}

void TGifControl::SetCenter(bool v) {
  place_.center = v;
  update();
}

void TGifControl::SetCurrentFrame(int n) {
  if (!anim_.SetCurrentFrame(n)) status_ = kGifBadFrameNumber;
}

void TGifControl::SetLoop(bool v) {
  anim_.SetLoop(v);
  SyncTimer();
}

void TGifControl::SetOpaque(bool v) {
  opaque_ = v;
  update();
}

void TGifControl::SetSpeed(int percent) {
  anim_.SetSpeed(percent);
  SyncTimer();
}

void TGifControl::SetStretch(bool v) {
  place_.stretch = v;
  update();
}

void TGifControl::SetStretchRatio(bool v) {
  place_.stretchRatio = v;
  update();
}

void TGifControl::SetTile(bool v) {
  place_.tile = v;
  update();
}

void TGifControl::SetColor(const QColor& c) {
  color_ = c;
  update();
}

QSize TGifControl::sizeHint() const { return HasPicture() ? PictureSize() : QSize(105, 105); }

// ----------------------------------------------------------------- events

void TGifControl::Changing() {
  if (OnChanging) OnChanging(this);
}

void TGifControl::Change() {
  if (OnChange) OnChange(this);
}

bool TGifControl::Progress(std::size_t processed, std::size_t total, int percent) {
  bool keep = true;
  if (OnProgress) OnProgress(this, static_cast<long long>(processed), static_cast<long long>(total), percent, keep);
  return keep;
}

// -------------------------------------------------------- timer and paint

void TGifControl::SyncTimer() {
  // Only real changes reach the timer: each change restarts its sleep.
  if (anim_.TimerRunning() && timer_->Interval() != anim_.TimerInterval()) timer_->SetInterval(anim_.TimerInterval());
  if (timer_->Enabled() != anim_.TimerRunning()) timer_->SetEnabled(anim_.TimerRunning());
}

void TGifControl::TimerTick() {
  anim_.Step();
  SyncTimer();
}

void TGifControl::FrameChanged() {
  pictureDirty_ = true;
  update();
}

QRect TGifControl::PlacementRect() const {
  const GifRect r = GifPlacementRect(anim_.Canvas().Width(), anim_.Canvas().Height(), width(), height(), place_);
  return {r.left, r.top, r.width, r.height};
}

bool TGifControl::ComputeOpaque() const {
  if (!isVisible() || !HasPicture()) return opaque_ && isVisible();
  if (!opaque_ && anim_.FirstFrameTransparent()) return false;
  return PlacementRect().contains(rect());
}

const QImage& TGifControl::Picture() {
  if (pictureDirty_) {
    const GifCanvas& c = anim_.Canvas();
    if (c.Empty()) {
      picture_ = QImage();
    } else {
      const bool masked = anim_.FirstFrameTransparent() && c.HasMask();
      const std::vector<std::uint32_t> argb = c.ToArgb(masked);
      QImage img(c.Width(), c.Height(), masked ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
      for (int y = 0; y < c.Height(); ++y)
        std::copy_n(&argb[static_cast<std::size_t>(y) * c.Width()], c.Width(),
                    reinterpret_cast<std::uint32_t*>(img.scanLine(y)));
      picture_ = std::move(img);
    }
    pictureDirty_ = false;
  }
  return picture_;
}

void TGifControl::paintEvent(QPaintEvent* /*event*/) {
  const bool opaqueNow = ComputeOpaque();
  if (opaqueNow != opaqueFlag_) {
    // Qt decides before the paint whether the parent draws behind us, so a
    // change takes full effect with the next paint.
    opaqueFlag_ = opaqueNow;
    setAttribute(Qt::WA_OpaquePaintEvent, opaqueNow);
    update();
  }
  QPainter p(this);
  if (opaque_) p.fillRect(rect(), color_);
  const QImage& pic = Picture();
  if (!pic.isNull()) {
    const int w = pic.width(), h = pic.height();
    if (GifPlacementStretched(w, h, width(), height(), place_)) {
      p.drawImage(PlacementRect(), pic);
    } else if (place_.tile) {
      for (int y = 0; y <= height(); y += h)
        for (int x = 0; x <= width(); x += w) p.drawImage(QPoint(x, y), pic);
    } else {
      p.drawImage(PlacementRect().topLeft(), pic);
    }
  }
  p.end();
  anim_.AfterPaint();
  SyncTimer();
}

}  // namespace sky::ui
