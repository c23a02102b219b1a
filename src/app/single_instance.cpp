#include "app/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <unistd.h>

namespace sky::ui {

namespace {

constexpr char kRaise[] = "raise\n";
constexpr int kAnswerMs = 1000;

QString Safe(QString s) {
  static const QRegularExpression unsafe("[^A-Za-z0-9._-]");
  return s.replace(unsafe, "_");
}

}  // namespace

QString InstanceKey() {
  QString display = "none";
  if (const QString w = qEnvironmentVariable("WAYLAND_DISPLAY"); !w.isEmpty()) display = "wl-" + w;
  else if (const QString x = qEnvironmentVariable("DISPLAY"); !x.isEmpty()) display = "x11-" + x;
  return Safe(QString("u%1-%2").arg(getuid()).arg(display));
}

SingleInstance::SingleInstance(const QString& key, const QString& folder) {
  QString dir = folder;
  if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (dir.isEmpty()) dir = QDir::tempPath();
  base_ = QDir(dir).filePath("skyglass-" + Safe(key));
}

SingleInstance::~SingleInstance() {
  if (server_) {
    server_->close();
    delete server_;
  }
  // The lock goes last: a start in between finds no socket and no lock.
  lock_.reset();
}

bool SingleInstance::Claim(std::function<void()> raise) {
  lock_ = std::make_unique<QLockFile>(base_ + ".lock");
  // A lock left by a program that died is taken over (its process is gone).
  lock_->setStaleLockTime(0);
  if (!lock_->tryLock(0)) {
    lock_.reset();
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (socket.waitForConnected(kAnswerMs)) {
      socket.write(kRaise);
      delivered_ = socket.waitForBytesWritten(kAnswerMs);
      socket.waitForReadyRead(kAnswerMs);  // the running one answers once it raised
      socket.disconnectFromServer();
    }
    return false;
  }
  raise_ = std::move(raise);
  QLocalServer::removeServer(SocketPath());  // one left by a program that died
  server_ = new QLocalServer;
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  server_->listen(SocketPath());
  QObject::connect(server_, &QLocalServer::newConnection, server_, [this] {
    while (QLocalSocket* c = server_->nextPendingConnection()) {
      QObject::connect(c, &QLocalSocket::disconnected, c, &QObject::deleteLater);
      QObject::connect(c, &QLocalSocket::readyRead, c, [this, c] {
        if (!c->readAll().contains("raise")) return;
        if (raise_) raise_();
        c->write("ok\n");
        c->flush();
      });
    }
  });
  return true;
}

}  // namespace sky::ui
