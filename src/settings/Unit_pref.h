// The preferences dialog. Created hidden at start-up and kept for the whole run.
#pragma once

#include <QDialog>

namespace sky::ui {

class TfrmPref : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmPref(QWidget* parent = nullptr);
};

}  // namespace sky::ui
