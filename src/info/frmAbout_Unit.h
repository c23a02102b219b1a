// The about box. Created hidden at start-up and kept for the whole run: the
// version, the credits, the memory figures taken at creation and the links
// to the maker's web site and mail.
#pragma once

#include <QUrl>
#include <functional>

#include "controls/GradForm.h"
#include "info/info_links.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace sky::ui {

class TProgressGauge;

// The maker's web site and mail address, which the links open.
inline constexpr const char* kMakerSite = "http://www.corvantis.com";
inline constexpr const char* kMakerMail = "mailto:skyglass@corvantis.com";

class TfrmAbout : public TGradientForm {
  Q_OBJECT
 public:
  explicit TfrmAbout(QWidget* parent = nullptr);

  // mnuAboutClick: shows the box if hidden and brings it to the front.
  void ShowAbout();
  // Fills the memory display (done once at creation from the kernel's figures).
  void memshow(const MemoryStatus& status);
  void lblURLClick();
  void lblEmailClick();

  // Opens a link; the desktop's handler unless a test replaces it.
  std::function<void(const QUrl&)> openUrl;

  QLabel* lblVersion = nullptr;
  QLabel* lblCurrVs = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* lblRAM = nullptr;
  TProgressGauge* Ramguage = nullptr;
  QLabel* lblFreeRAM = nullptr;
  QLabel* lbltotalRAM = nullptr;
  QLabel* lblURL = nullptr;
  QLabel* lblEmail = nullptr;
  QPushButton* btnClose = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
};

}  // namespace sky::ui
