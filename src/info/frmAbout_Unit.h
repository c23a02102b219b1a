// The about box. Created hidden at start-up and kept for the whole run.
#pragma once

#include <QDialog>

namespace sky::ui {

class TfrmAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmAbout(QWidget* parent = nullptr);
};

}  // namespace sky::ui
