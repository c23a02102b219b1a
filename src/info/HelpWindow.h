// The program's help window: the manual under share/skyglass/help in a text
// browser, with the list of topics, back and forward, and a search across
// every topic. One window for the whole program.
#pragma once

#include <QUrl>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;
class QToolButton;

namespace sky::ui {

class THelpWindow : public QWidget {
  Q_OBJECT
 public:
  // `folder`: the manual's folder (holds index.html).
  explicit THelpWindow(const QString& folder, QWidget* parent = nullptr);

  void ShowContents();
  // A page of the manual, with or without an anchor ("information.html#about").
  void ShowPage(const QString& page);
  // Every topic whose text contains all the words; shown as a result page.
  QStringList Search(const QString& words) const;
  void ShowSearch(const QString& words);

  QTextBrowser* Browser() const { return browser_; }
  QListWidget* Topics() const { return topics_; }
  QLineEdit* SearchField() const { return search_; }

 private:
  void LoadTopics();
  void Open(const QUrl& url);

  QString folder_;
  QTextBrowser* browser_ = nullptr;
  QListWidget* topics_ = nullptr;
  QLineEdit* search_ = nullptr;
  QToolButton* back_ = nullptr;
  QToolButton* forward_ = nullptr;
  QList<QPair<QString, QString>> topicList_;  // file, title
};

// The application's help: opens the one help window at `page` (the contents
// by default), creating it on first use. Without the manual, says where it was
// looked for.
void launch_help(const QString& page = QString());
// The manual's page about a window of the program, by the window's object
// name ("frmForecast" -> "forecasts.html"); the contents for any other.
QString HelpPageFor(const QWidget* window);
// The help at the page of `window`.
void launch_help_for(const QWidget* window);
// The help window, if launch_help has created it.
THelpWindow* HelpWindow();
// F1 in `window` (and its children) opens the help at the window's page.
void InstallHelpKey(QWidget* window);

}  // namespace sky::ui
