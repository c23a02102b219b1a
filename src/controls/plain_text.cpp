#include "controls/plain_text.h"

#include <QTextDocument>

namespace sky::ui {

QMessageBox::StandardButton PlainBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                                     QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, title, text, buttons, parent);
  box.setTextFormat(Qt::PlainText);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString PlainToolTip(const QString& text) {
  // Tool tips have no format of their own; escaped markup shows the text as written.
  return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}

}  // namespace sky::ui
