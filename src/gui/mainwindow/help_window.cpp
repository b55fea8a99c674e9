#include "gui/mainwindow/help_window.h"

#include <QFile>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("fHelp"));
  setWindowTitle(QStringLiteral("Pelorin - справка"));
  resize(760, 600);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("tHelpBar"));
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("tHelpText"));
  browser_->setOpenExternalLinks(true);
  // The text browser does not follow <link rel="stylesheet">: the pages' style is the default.
  QFile style(QStringLiteral(":/help/style.css"));
  if (style.open(QIODevice::ReadOnly)) {
    browser_->document()->setDefaultStyleSheet(QString::fromUtf8(style.readAll()));
  }
  QAction* contents = bar->addAction(QStringLiteral("Содержание"));
  QAction* back = bar->addAction(QStringLiteral("Назад"));
  QAction* forward = bar->addAction(QStringLiteral("Вперёд"));
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(contents, &QAction::triggered, this, &THelpWindow::ShowContents);
  connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
  connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
  layout->addWidget(bar);
  layout->addWidget(browser_);
}

void THelpWindow::ShowContents() {
  browser_->setSource(QUrl(contents_page()));
  show();
  raise();
  activateWindow();
}
