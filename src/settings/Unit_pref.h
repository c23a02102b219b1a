// The preferences dialog. Created hidden at start-up and kept for the whole
// run; every showing fills it afresh from the store, so "&Cancel" and closing
// forget the changes. The decisions are the core's (settings/preferences.h).
#pragma once

#include "controls/GradForm.h"
#include <functional>
#include <string>

#include "settings/preferences.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace sky::ui {

class TfrmPref : public TGradientForm {
  Q_OBJECT
 public:
  explicit TfrmPref(QWidget* parent = nullptr);

  // mnuGeneralPreferences1Click: shows the dialog (modeless) and brings it up.
  void ShowDialog();
  void btnOkayClick();
  void btnCancelClick();
  void btnHelpClick();

  // Sees an error before its box; when set, no box is shown (tests).
  std::function<void(const std::string&)> errorRecorder;
  // Runs after "&Okay" stored the settings (units and notices take effect at once).
  std::function<void()> stored;
  // The gateway's list of served pictures once the program has read it
  // (nullptr before, or when the proxy is no gateway): unserved wallpapers
  // are not offered.
  std::function<const ServedPictures*()> servedPictures;

  // The controls, named as the program names them.
  QWidget* client = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QLabel* Label6 = nullptr;
  QRadioButton* radioYesupstat = nullptr;
  QRadioButton* radioNoupstat = nullptr;
  QLabel* lblstartuploc = nullptr;
  QLabel* Label1 = nullptr;
  QComboBox* cboStartupLoc = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QComboBox* cboAutoWallpaper = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QLabel* lblProxy = nullptr;
  QLineEdit* EditProxy = nullptr;
  QLabel* lblProxyPort = nullptr;
  QLineEdit* EditProxyPort = nullptr;
  QGroupBox* GroupBox3 = nullptr;
  QLabel* lblUnits = nullptr;
  QComboBox* cboUnits = nullptr;
  QCheckBox* chkWarnNotify = nullptr;
  QPushButton* btnOkay = nullptr;
  QPushButton* btnCancel = nullptr;
  QPushButton* btnHelp = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void FormShow();
  void CheckBox1Click();
  void Collect();   // widgets -> form_
  void ShowForm();  // form_ -> widgets
  void ShowProxyFields();
  void ShowError(const std::string& text);

  PrefForm form_;
  bool filling_ = false;
};

}  // namespace sky::ui
