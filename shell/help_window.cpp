#include "shell/help_window.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    // Help stays open beside the game, but never keeps the program running on its own.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(780, 660);

    toolBar_ = new QToolBar(this);
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->setMovable(false);
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    // Links to other sites go to the system's browser; the page's own anchors stay here.
    browser_->setOpenExternalLinks(true);

    // Buttons with pictures only: the language files carry no texts for them.
    QStyle* style = this->style();
    QAction* back = toolBar_->addAction(style->standardIcon(QStyle::SP_ArrowBack), QString());
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    QAction* forward = toolBar_->addAction(style->standardIcon(QStyle::SP_ArrowForward), QString());
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    QAction* home = toolBar_->addAction(style->standardIcon(QStyle::SP_DirHomeIcon), QString());
    connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(home, &QAction::triggered, browser_, &QTextBrowser::home);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    // Closing as other windows close: the button, Escape, and Ctrl+W (with the desktop's own
    // close key where it differs).
    auto* buttons = new QDialogButtonBox(this);
    closeButton_ = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W),
          QKeySequence(QKeySequence::Close)}) {
        if (keys.isEmpty()) {
            continue;
        }
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar_);
    layout->addWidget(browser_, 1);
    auto* bottom = new QVBoxLayout;
    const int margin = fontMetrics().height() / 2;
    bottom->setContentsMargins(margin, margin, margin, margin);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);
}

bool HelpWindow::Open(const std::string& path, const std::string& title,
                      const std::string& closeLabel) {
    const QString file = QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
    const QFileInfo info(file);
    if (path.empty() || !info.isFile() || !info.isReadable()) {
        return false;
    }
    setWindowTitle(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    if (!closeLabel.empty()) {
        closeButton_->setText(
            QString::fromUtf8(closeLabel.data(), static_cast<qsizetype>(closeLabel.size())));
    }
    const QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
    if (browser_->source() == url) {
        // The same page again (the file may have changed): read anew, back at its top.
        browser_->reload();
    } else {
        browser_->clearHistory();
        browser_->setSource(url);
    }
    browser_->moveCursor(QTextCursor::Start);
    browser_->ensureCursorVisible();
    if (isMinimized()) {
        showNormal();
    } else {
        show();
    }
    raise();
    activateWindow();
    return true;
}

std::string HelpWindow::PagePath() const {
    return browser_->source().toLocalFile().toStdString();
}
