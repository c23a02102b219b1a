#include "info/HelpWindow.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/app_names.h"
#include "common/data_files.h"
#include "controls/open_link.h"
#include "controls/plain_text.h"

namespace sky::ui {

namespace {

QString ReadText(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll());
}

QString PlainText(const QString& html) {
  QTextDocument doc;
  doc.setHtml(html);
  return doc.toPlainText();
}

QPointer<THelpWindow>& TheWindow() {
  static QPointer<THelpWindow> w;
  return w;
}

}  // namespace

THelpWindow::THelpWindow(const QString& folder, QWidget* parent) : QWidget(parent, Qt::Window), folder_(folder) {
  setObjectName("frmHelp");
  setWindowTitle("Skyglass Help");
  resize(860, 580);

  back_ = new QToolButton(this);
  back_->setObjectName("btnBack");
  back_->setText("< &Back");
  back_->setShortcut(QKeySequence::Back);
  forward_ = new QToolButton(this);
  forward_->setObjectName("btnForward");
  forward_->setText("&Forward >");
  forward_->setShortcut(QKeySequence::Forward);
  auto* home = new QToolButton(this);
  home->setObjectName("btnContents");
  home->setText("&Contents");
  search_ = new QLineEdit(this);
  search_->setObjectName("editSearch");
  search_->setPlaceholderText("Search the help");
  search_->setClearButtonEnabled(true);
  auto* find = new QToolButton(this);
  find->setObjectName("btnSearch");
  find->setText("&Search");

  auto* bar = new QHBoxLayout;
  bar->addWidget(back_);
  bar->addWidget(forward_);
  bar->addWidget(home);
  bar->addSpacing(12);
  bar->addWidget(new QLabel("Find:", this));
  bar->addWidget(search_, 1);
  bar->addWidget(find);

  topics_ = new QListWidget(this);
  topics_->setObjectName("lstTopics");
  browser_ = new QTextBrowser(this);
  browser_->setObjectName("txtHelp");
  browser_->setOpenLinks(false);  // our links are followed below, the web's go to the browser
  browser_->setSearchPaths({folder_});
  // The text browser reads no linked style sheet: the manual's goes in as the default.
  browser_->document()->setDefaultStyleSheet(ReadText(QDir(folder_).filePath("style.css")));

  auto* split = new QSplitter(this);
  split->addWidget(topics_);
  split->addWidget(browser_);
  split->setStretchFactor(1, 1);
  split->setSizes({290, 530});
  topics_->setWordWrap(true);
  topics_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->addLayout(bar);
  layout->addWidget(split, 1);

  LoadTopics();

  connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
  connect(home, &QToolButton::clicked, this, &THelpWindow::ShowContents);
  connect(browser_, &QTextBrowser::anchorClicked, this, &THelpWindow::Open);
  connect(topics_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { Open(QUrl(item->data(Qt::UserRole).toString())); });
  connect(topics_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { Open(QUrl(item->data(Qt::UserRole).toString())); });
  auto runSearch = [this] { ShowSearch(search_->text()); };
  connect(search_, &QLineEdit::returnPressed, this, runSearch);
  connect(find, &QToolButton::clicked, this, runSearch);
  back_->setEnabled(false);
  forward_->setEnabled(false);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setObjectName("escapeKey");
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
  InstallHelpKey(this);
}

void THelpWindow::LoadTopics() {
  // The contents page lists the topics; the window's list follows it.
  topicList_.clear();
  topics_->clear();
  topicList_.append(qMakePair(QString("index.html"), QString("Contents")));
  static const QRegularExpression link(R"re(<li><a href="([^"#]+\.html)">([^<]+)</a>)re");
  const QString index = ReadText(QDir(folder_).filePath("index.html"));
  for (auto it = link.globalMatch(index); it.hasNext();) {
    const auto m = it.next();
    topicList_.append(qMakePair(m.captured(1), m.captured(2)));
  }
  for (const auto& [file, title] : topicList_) {
    auto* item = new QListWidgetItem(title, topics_);
    item->setData(Qt::UserRole, file);
  }
}

void THelpWindow::Open(const QUrl& url) {
  if (!url.scheme().isEmpty() && url.scheme() != "file" && url.scheme() != "qrc") {
    OpenLink(this, url.toString());
    return;
  }
  browser_->setSource(url);
  const QString file = url.path().section('/', -1);
  for (int i = 0; i < topics_->count(); ++i) {
    if (topics_->item(i)->data(Qt::UserRole).toString() == file) {
      topics_->setCurrentRow(i);
      break;
    }
  }
}

void THelpWindow::ShowContents() { Open(QUrl("index.html")); }

void THelpWindow::ShowPage(const QString& page) { Open(QUrl(page.isEmpty() ? QString("index.html") : page)); }

QStringList THelpWindow::Search(const QString& words) const {
  QStringList hits;
  const QStringList terms = words.simplified().split(' ', Qt::SkipEmptyParts);
  if (terms.isEmpty()) return hits;
  for (const auto& [file, title] : topicList_) {
    const QString text = PlainText(ReadText(QDir(folder_).filePath(file)));
    bool all = true;
    for (const QString& t : terms) all = all && text.contains(t, Qt::CaseInsensitive);
    if (all) hits.append(file);
  }
  return hits;
}

void THelpWindow::ShowSearch(const QString& words) {
  const QStringList hits = Search(words);
  QString html =
      "<html><head><link rel=\"stylesheet\" href=\"style.css\"></head><body><h1>Search: " + words.toHtmlEscaped() +
      "</h1>";
  if (hits.isEmpty()) {
    html += "<p>No topic contains these words.</p>";
  } else {
    html += "<p>Topics containing all the words:</p><ul>";
    for (const QString& file : hits) {
      QString title = file;
      for (const auto& [f, t] : topicList_)
        if (f == file) title = t;
      html += "<li><a href=\"" + file + "\">" + title.toHtmlEscaped() + "</a></li>";
    }
    html += "</ul>";
  }
  html += "</body></html>";
  browser_->setHtml(html);
}

THelpWindow* HelpWindow() { return TheWindow().data(); }

QString HelpPageFor(const QWidget* window) {
  // clang-format off
  static const QList<QPair<QString, QString>> pages = {
      {"Form1", "main-window.html"},
      {"frmLocation", "locations.html"},
      {"frmForecast", "forecasts.html"},
      {"frmImage", "images.html"},
      {"frmPref", "preferences.html"},
      {"frmAbout", "information.html#about"},
      {"frmHelp", "help-window.html"},
  };
  // clang-format on
  if (window) {
    const QString name = window->window()->objectName();
    for (const auto& [object, page] : pages)
      if (object == name) return page;
  }
  return "index.html";
}

void launch_help_for(const QWidget* window) { launch_help(HelpPageFor(window)); }

void launch_help(const QString& page) {
  const std::string index = FindDataFile(app::kHelpFile);
  if (index.empty()) {
    PlainBox(QApplication::activeWindow(), QMessageBox::Warning, app::kTitle,
             "The help files were not found. They belong in share/skyglass/help beside "
             "the program's folder (" +
                 QString::fromStdString(ExecutableDir()) + ").");
    return;
  }
  QPointer<THelpWindow>& w = TheWindow();
  if (!w) {
    w = new THelpWindow(QFileInfo(QString::fromStdString(index)).absolutePath());
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    if (QScreen* s = QGuiApplication::primaryScreen()) {
      const QRect g = s->availableGeometry();
      w->move(g.center() - QPoint(w->width() / 2, w->height() / 2));
    }
  }
  w->ShowPage(page);
  w->show();
  w->raise();
  w->activateWindow();
}

void InstallHelpKey(QWidget* window) {
  // A window whose menu already answers F1 keeps it: a second F1 would make
  // the key ambiguous, and then neither would fire.
  const QKeySequence f1(QKeySequence::HelpContents);
  for (const QAction* a : window->findChildren<QAction*>())
    if (a->shortcuts().contains(f1)) return;
  for (const QShortcut* s : window->findChildren<QShortcut*>())
    if (s->key() == f1) return;
  auto* key = new QShortcut(QKeySequence::HelpContents, window);
  key->setObjectName("helpKey");
  key->setContext(Qt::WindowShortcut);
  QObject::connect(key, &QShortcut::activated, window, [window] { launch_help_for(window); });
}

}  // namespace sky::ui
