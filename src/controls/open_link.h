// Opening an address in the user's browser (or mail program) from any window.
// Where nothing can open it, the user is told so and offered the address to
// copy: a link that silently does nothing looks broken.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace sky::ui {

// Hands `url` to the desktop (xdg-open). When that cannot start, or reports
// that no program took the address, a box says so and offers "Copy Address",
// which puts the address on the clipboard.
void OpenLink(QWidget* parent, const QString& url);

// The box's text for an address nothing could open.
QString NoBrowserText(const QString& url);

// Tests: receives the box's text instead of a box and answers whether
// "Copy Address" was chosen.
extern std::function<bool(const QString& text)> noBrowserRecorder;

}  // namespace sky::ui
