// The location chooser: the catalogue as a tree, a zip box, "&Okay" and
// "&Cancel". Modeless; created once at start-up and only shown and hidden.
// What "&Okay" does is chooser_logic.h's.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <string>

#include "common/ports.h"
#include "locations/chooser_logic.h"

namespace sky::ui {

// Its own boxes are parented to it (IMessagePort), so after OK the dialog
// is in front again and has the focus.
class TfrmLocation : public QWidget, public IMessagePort {
  Q_OBJECT
 public:
  explicit TfrmLocation(IChooserHost& host, QWidget* parent = nullptr);

  QLabel* lblCountry = nullptr;
  QTreeWidget* TreeView1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* txtzipcode = nullptr;
  QLabel* Label3 = nullptr;
  QPushButton* btnOkay = nullptr;
  QPushButton* btnCancel = nullptr;

  // "&Choose Location...": shows the dialog if hidden and brings it to the front.
  void Choose();
  void btnOkayClick();
  void btnCancelClick() { hide(); }
  // Selects the node at this path of texts below the root (for instance
  // {"North America", "United States", "Texas", "Austin"}); false if absent.
  bool SelectPath(const QStringList& textsBelowRoot);

  // Shows a box ("message", "error", "confirm") over the given window; the
  // program start hands in the main window's, so every box goes one way.
  // Unset: a plain box over the dialog.
  std::function<bool(const std::string& kind, const std::string& text, QWidget* over)> showBox;

  // IMessagePort: boxes over the dialog.
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void Beep() override;

 protected:
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void FillTree();
  // After a box that stopped the choice: open, in front, selection kept.
  void StayForAnotherChoice(QTreeWidgetItem* selected);

  IChooserHost& host_;
};

}  // namespace sky::ui
