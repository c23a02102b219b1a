// The image viewer. Created hidden on first use and kept for the whole run:
// every downloaded picture is shown here, GIF files in the GIF control and
// the others (decoded in the core) in the picture control.
#pragma once

#include <QLabel>
#include <QPixmap>
#include <functional>
#include <string>

#include "controls/GradForm.h"
#include "images/image_logic.h"

class QAction;
class QMenuBar;
class QPagedPaintDevice;
class QScrollArea;
class QStatusBar;

namespace sky::ui {

class TGifControl;

// What the viewer's commands reach beyond the window.
struct ImageViewerHooks {
  std::function<void()> saveAsWallpaper;  // do_wallpaper
  std::function<void()> closed;           // the file goes (ImageLogic::ViewerClosed)
  std::function<void()> helpContents;
  std::function<void()> minimizeMain;  // FormShow
  std::function<void()> restoreMain;   // FormClose
  // An error of a command, for the standard error box.
  std::function<void(const std::string&)> error;
};

// The pixmap of a decoded picture. A Bgrx picture is taken over as it is
// (the pixmap keeps its pixels); an Rgb one is converted.
QPixmap PixmapOfPicture(RgbPicture&& picture);

class TfrmImage : public TGradientForm, public IImageViewerPort {
  Q_OBJECT
 public:
  explicit TfrmImage(QWidget* parent = nullptr);
  ~TfrmImage() override;

  ImageViewerHooks hooks;

  // IImageViewerPort
  void SetImageCaption(const std::string& caption) override;
  void SetAnimate(bool on) override;
  void ShowGifFile(const std::string& path) override;
  void ShowPicture(const RgbPicture& picture) override;
  PixelOrder PictureOrder() const override;
  void TakePicture(RgbPicture&& picture) override;
  void ShowViewer() override;
  std::optional<RgbPicture> GifFirstFrame() const override;

  // The population counters' look: white background, no maximise button.
  // Closing puts the navy background and the button back.
  void SetCounterLook();
  // The window's background colour (navy, or white for the counters).
  QColor BackgroundColor() const;

  // FormClose (also "&Close").
  void FormClose();
  // The client area as one picture on one page, scaled in proportion.
  void PrintTo(QPagedPaintDevice& printer);

  // Components, named as the program names them.
  TGifControl* GIFImage1 = nullptr;
  QLabel* Image1 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QMenuBar* MainMenu1 = nullptr;
  QScrollArea* Scroller() const { return scroll_; }
  QAction* mnuSaveAsWallpaper1 = nullptr;
  QAction* mnuPrint1 = nullptr;
  QAction* mnuClose1 = nullptr;
  QAction* mnuHelpContentsF11 = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void SetBackground(const QColor& color);
  void ShowPixmap(const QPixmap& pixmap, int width, int height);
  void Layout332x316();
  // Sized to the picture within the screen's free area; scroll bars where
  // the picture is larger.
  void FitToPicture(QSize picture);
  QRect AvailableArea() const;
  void mnuPrint1Click();
  void Guard(const std::function<void()>& f);
  bool closing_ = false;
  QWidget* pictures_ = nullptr;  // the area the two picture controls lie in
  QScrollArea* scroll_ = nullptr;
};

}  // namespace sky::ui
