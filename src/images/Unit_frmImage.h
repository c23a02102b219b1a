// The image viewer. Created hidden at start-up and kept for the whole run.
#pragma once

#include <QWidget>

namespace sky::ui {

class TfrmImage : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmImage(QWidget* parent = nullptr);
};

}  // namespace sky::ui
