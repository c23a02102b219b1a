#include "images/Unit_frmImage.h"

#include <QCloseEvent>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPixmap>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStatusBar>
#include <QVBoxLayout>
#include <exception>

#include "common/exceptions.h"
#include "controls/GifControl.h"
#include "controls/print_module.h"

namespace sky::ui {

namespace {
const QColor kNavy(0, 0, 128);
const QColor kGray(128, 128, 128);
}  // namespace

TfrmImage::TfrmImage(QWidget* parent) : TGradientForm(parent) {
  setObjectName("frmImage");
  SetGradientStartColor(clBlue);
  SetGradientStopColor(clBlack);
  SetCaption("Skyglass ");

  MainMenu1 = new QMenuBar(this);
  MainMenu1->setObjectName("MainMenu1");
  QMenu* options = MainMenu1->addMenu("&Options");
  mnuSaveAsWallpaper1 = options->addAction("Save As &Wallpaper");
  mnuSaveAsWallpaper1->setObjectName("mnuSaveAsWallpaper1");
  mnuPrint1 = options->addAction("&Print");
  mnuPrint1->setObjectName("mnuPrint1");
  mnuClose1 = options->addAction("&Close");
  mnuClose1->setObjectName("mnuClose1");
  QMenu* help = MainMenu1->addMenu("&Help");
  mnuHelpContentsF11 = help->addAction("Help &Contents (F1)");
  mnuHelpContentsF11->setObjectName("mnuHelpContentsF11");
  // F1 itself is the program-wide help key the start-up installs.
  connect(mnuSaveAsWallpaper1, &QAction::triggered, this, [this] {
    Guard([this] {
      if (hooks.saveAsWallpaper) hooks.saveAsWallpaper();
    });
  });
  connect(mnuPrint1, &QAction::triggered, this, [this] { Guard([this] { mnuPrint1Click(); }); });
  connect(mnuClose1, &QAction::triggered, this, [this] { FormClose(); });
  connect(mnuHelpContentsF11, &QAction::triggered, this, [this] {
    Guard([this] {
      if (hooks.helpContents) hooks.helpContents();
    });
  });

  // The two picture controls on top of each other at the client's top-left
  // corner; the status bar along the bottom.
  // A picture larger than the screen's free area scrolls inside the window.
  QWidget* client = ClientArea();
  scroll_ = new QScrollArea(client);
  scroll_->setObjectName("scrollPictures");
  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidgetResizable(false);
  scroll_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto* pictures = new QWidget;
  pictures->setObjectName("pictures");
  pictures->setAutoFillBackground(true);
  pictures_ = pictures;
  scroll_->setWidget(pictures);
  Image1 = new QLabel(pictures);
  Image1->setObjectName("Image1");
  Image1->setGeometry(0, 0, 0, 0);
  Image1->hide();
  GIFImage1 = new TGifControl(pictures);
  GIFImage1->setObjectName("GIFImage1");
  GIFImage1->SetColor(kGray);
  GIFImage1->SetAutoSize(true);
  GIFImage1->SetAnimate(false);
  GIFImage1->SetLoop(false);
  GIFImage1->SetStretch(false);
  GIFImage1->SetTile(false);
  GIFImage1->SetCenter(false);
  GIFImage1->SetOpaque(false);
  GIFImage1->SetFirstImageOnly(false);
  GIFImage1->setGeometry(0, 0, 0, 0);
  StatusBar1 = new QStatusBar(client);
  StatusBar1->setObjectName("StatusBar1");
  StatusBar1->setSizeGripEnabled(false);
  StatusBar1->showMessage(" Thank you for using Skyglass...");
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  // The menu heads the client area, under the painted caption (the form's
  // own menu slot would put it over the caption).
  layout->setMenuBar(MainMenu1);
  layout->addWidget(scroll_, 1);
  layout->addWidget(StatusBar1, 0);
  SetBackground(kNavy);
  resize(332, 316);
}

TfrmImage::~TfrmImage() {
  // FormDestroy
  if (GIFImage1) GIFImage1->Clear();
}

void TfrmImage::Guard(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    if (hooks.error) hooks.error(e.what());
  }
}

void TfrmImage::SetBackground(const QColor& color) {
  // The window's colour is what shows around the picture; the menu and the
  // status bar keep the system colours.
  QPalette p = pictures_->palette();
  p.setColor(QPalette::Window, color);
  pictures_->setPalette(p);
  QPalette v = scroll_->viewport()->palette();
  v.setColor(QPalette::Window, color);
  scroll_->viewport()->setPalette(v);
  scroll_->viewport()->setAutoFillBackground(true);
}

QColor TfrmImage::BackgroundColor() const { return pictures_->palette().color(QPalette::Window); }

void TfrmImage::SetImageCaption(const std::string& caption) {
  // The catalogue keeps menu texts with "&&"; a caption shows one "&".
  QString text = QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size()));
  text.replace("&&", "&");
  SetCaption(text);
}

void TfrmImage::SetAnimate(bool on) { GIFImage1->SetAnimate(on); }

void TfrmImage::Layout332x316() {
  setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
  resize(332, 316);
  repaint();
}

QRect TfrmImage::AvailableArea() const {
  QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
  return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

void TfrmImage::FitToPicture(QSize picture) {
  pictures_->resize(picture);
  // What the window adds around the picture: caption, frame, menu, status
  // bar. From the parts' own sizes: a hidden window's layout has not placed
  // the scroll area yet.
  const QMargins m = layout()->contentsMargins();
  const QSize around(m.left() + m.right(),
                     m.top() + m.bottom() + MainMenu1->sizeHint().height() + StatusBar1->sizeHint().height());
  const QRect area = AvailableArea();
  QSize want = picture + around;
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  const bool tooWide = want.width() > area.width();
  const bool tooHigh = want.height() > area.height();
  // A scroll bar along one side takes room from the other.
  if (tooHigh) want.rwidth() += bar;
  if (tooWide) want.rheight() += bar;
  want = want.expandedTo(QSize(332, 316)).boundedTo(area.size());
  resize(want);
  // Centred in the free area, as the design centres it on the desktop.
  move(area.x() + (area.width() - want.width()) / 2, area.y() + (area.height() - want.height()) / 2);
  scroll_->horizontalScrollBar()->setValue(0);
  scroll_->verticalScrollBar()->setValue(0);
}

void TfrmImage::ShowGifFile(const std::string& path) {
  Image1->hide();
  Image1->setGeometry(0, 0, 0, 0);
  Image1->clear();
  GIFImage1->show();
  GIFImage1->Clear();
  GIFImage1->move(0, 0);
  Layout332x316();
  GIFImage1->LoadFromFile(path);
  GIFImage1->resize(GIFImage1->sizeHint());
  FitToPicture(GIFImage1->size());
}

namespace {
// A copy of the pixels: the pixmap must not share memory the caller keeps.
QPixmap CopiedPixmap(const RgbPicture& picture) {
  const qsizetype bytes = static_cast<qsizetype>(picture.BytesPerPixel());
  const QImage image(picture.rgb.data(), picture.width, picture.height, picture.width * bytes,
                     bytes == 4 ? QImage::Format_RGB32 : QImage::Format_RGB888);
  return QPixmap::fromImage(image.copy());
}
}  // namespace

QPixmap PixmapOfPicture(RgbPicture&& picture) {
  if (picture.order != PixelOrder::Bgrx || Q_BYTE_ORDER != Q_LITTLE_ENDIAN) return CopiedPixmap(picture);
  // The image owns the pixels from here on; the pixmap shares them, since
  // they are already in its format.
  auto* pixels = new PixelBytes(std::move(picture.rgb));
  QImage image(
      pixels->data(), picture.width, picture.height, static_cast<qsizetype>(picture.width) * 4, QImage::Format_RGB32,
      [](void* p) { delete static_cast<PixelBytes*>(p); }, pixels);
  return QPixmap::fromImage(std::move(image));
}

void TfrmImage::ShowPixmap(const QPixmap& pixmap, int width, int height) {
  GIFImage1->hide();
  GIFImage1->setGeometry(0, 0, 0, 0);
  Image1->move(0, 0);
  Image1->show();
  Layout332x316();
  Image1->setPixmap(pixmap);
  Image1->resize(width, height);
  FitToPicture(QSize(width, height));
}

void TfrmImage::ShowPicture(const RgbPicture& picture) {
  ShowPixmap(CopiedPixmap(picture), picture.width, picture.height);
}

PixelOrder TfrmImage::PictureOrder() const {
  return Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? PixelOrder::Bgrx : PixelOrder::Rgb;
}

void TfrmImage::TakePicture(RgbPicture&& picture) {
  const int width = picture.width, height = picture.height;
  ShowPixmap(PixmapOfPicture(std::move(picture)), width, height);
}

void TfrmImage::ShowViewer() {
  show();
  raise();
  activateWindow();
}

std::optional<RgbPicture> TfrmImage::GifFirstFrame() const {
  const QImage bitmap = GIFImage1->ToBitmap();
  if (bitmap.isNull()) return std::nullopt;
  const QImage rgb = bitmap.convertToFormat(QImage::Format_RGB888);
  RgbPicture p;
  p.width = rgb.width();
  p.height = rgb.height();
  p.rgb.resize(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height) * 3);
  for (int y = 0; y < p.height; ++y)
    std::copy_n(rgb.constScanLine(y), static_cast<std::size_t>(p.width) * 3,
                &p.rgb[static_cast<std::size_t>(y) * p.width * 3]);
  return p;
}

void TfrmImage::SetCounterLook() {
  // White only: a counter's window is sized to it and maximises like any
  // other picture's, so no figure is cut off.
  SetBackground(Qt::white);
}

void TfrmImage::showEvent(QShowEvent* e) {
  TGradientForm::showEvent(e);
  // FormShow
  if (hooks.minimizeMain) hooks.minimizeMain();
}

void TfrmImage::closeEvent(QCloseEvent* e) {
  e->accept();
  if (!closing_) FormClose();
}

void TfrmImage::FormClose() {
  closing_ = true;
  hide();
  TBorderIcons icons = BorderIcons();
  icons.biMaximize = true;
  SetBorderIcons(icons);
  SetBackground(kNavy);
  GIFImage1->SetAnimate(false);
  GIFImage1->Clear();
  if (hooks.restoreMain) hooks.restoreMain();
  Guard([this] {
    if (hooks.closed) hooks.closed();
  });
  closing_ = false;
}

void TfrmImage::mnuPrint1Click() {
  QPagedPaintDevice* printer = PrintModule().runPrintDialog(this);
  if (printer) PrintTo(*printer);
}

void TfrmImage::PrintTo(QPagedPaintDevice& printer) {
  const QPixmap shot = ClientArea()->grab();
  QPainter painter;
  if (!painter.begin(&printer)) throw Exception("Printing failed: the printer could not be opened.");
  const QRect page = painter.viewport();
  QSize size = shot.size();
  size.scale(page.size(), Qt::KeepAspectRatio);
  painter.setViewport(page.x(), page.y(), size.width(), size.height());
  painter.setWindow(shot.rect());
  painter.drawPixmap(0, 0, shot);
  painter.end();
}

}  // namespace sky::ui
