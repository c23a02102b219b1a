// The forecast window. Created hidden at start-up and kept for the whole run.
#pragma once

#include <QWidget>

namespace sky::ui {

class TfrmForecast : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmForecast(QWidget* parent = nullptr);
};

}  // namespace sky::ui
