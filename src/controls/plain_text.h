// Texts from a server or a file are shown as they are: Qt would take a text
// that looks like markup as rich text, and an <img> in it would make a window
// open local files (a pipe blocks the window, /dev/zero fills the memory).
#pragma once

#include <QLabel>
#include <QMessageBox>
#include <QString>

namespace sky::ui {

// A message box whose text is never read as markup.
QMessageBox::StandardButton PlainBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                                     QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// A tool tip text that shows `text` literally even where Qt would guess markup.
QString PlainToolTip(const QString& text);

}  // namespace sky::ui
