// The location chooser: the catalogue as a tree, a zip box, "&Okay" and
// "&Cancel". Modeless; created once at start-up and only shown and hidden.
// What "&Okay" does is chooser_logic.h's.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>

#include "locations/chooser_logic.h"

namespace sky::ui {

class TfrmLocation : public QWidget {
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

 protected:
  void showEvent(QShowEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void FillTree();

  IChooserHost& host_;
};

}  // namespace sky::ui
