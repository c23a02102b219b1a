// The borderless start-up window with the needle gauge; it shows itself when
// created and the main window's first paint hides it.
#pragma once

#include <QLabel>
#include <QWidget>

#include "controls/ProgressGauge.h"

namespace sky::ui {

class TfrmPleaseWait : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmPleaseWait(QWidget* parent = nullptr);

  QLabel* lblPleaseWait = nullptr;
  TProgressGauge* Gauge1 = nullptr;

  // Moves the gauge and gets the new needle on screen at once, since start-up
  // runs before the message loop.
  void SetProgress(int value);
};

}  // namespace sky::ui
