#include "controls/open_link.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>

namespace sky::ui {

std::function<bool(const QString& text)> noBrowserRecorder;

QString NoBrowserText(const QString& url) {
  const bool mail = url.startsWith("mailto:");
  return QString(
             "No %1 could be opened for this address:\n\n%2\n\n"
             "Install one (or set it as the desktop's default), or copy the address and open it yourself.")
      .arg(mail ? "mail program" : "web browser", mail ? url.mid(7) : url);
}

namespace {

void TellNoBrowser(QWidget* parent, const QString& url) {
  const QString text = NoBrowserText(url);
  bool copy = false;
  if (noBrowserRecorder) {
    copy = noBrowserRecorder(text);
  } else {
    QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton* copyButton = box.addButton("&Copy Address", QMessageBox::ActionRole);
    box.exec();
    copy = box.clickedButton() == copyButton;
  }
  if (copy) QApplication::clipboard()->setText(url.startsWith("mailto:") ? url.mid(7) : url);
}

}  // namespace

void OpenLink(QWidget* parent, const QString& url) {
  const QString opener = QStandardPaths::findExecutable("xdg-open");
  if (opener.isEmpty()) {
    // No opener: the platform's own way, when it has one.
    if (!QDesktopServices::openUrl(QUrl(url))) TellNoBrowser(parent, url);
    return;
  }
  // xdg-open says by its exit status whether a program took the address
  // (3 or 4: none found, or it failed); it may also stay while the browser
  // runs, so it is watched, not waited for.
  auto* process = new QProcess(qApp);
  QPointer<QWidget> owner(parent);
  QObject::connect(process, &QProcess::finished, process, [process, owner, url](int code, QProcess::ExitStatus how) {
    process->deleteLater();
    if (how != QProcess::NormalExit || code != 0) TellNoBrowser(owner, url);
  });
  QObject::connect(process, &QProcess::errorOccurred, process, [process, owner, url](QProcess::ProcessError e) {
    if (e != QProcess::FailedToStart) return;
    process->deleteLater();
    TellNoBrowser(owner, url);
  });
  process->start(opener, {url});
}

}  // namespace sky::ui
