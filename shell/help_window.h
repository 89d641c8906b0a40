// The help window: the help page of the current language in an in-program HTML viewer, with
// back, forward and home buttons and the page's own links. One window, reused for every request.
#pragma once

#include <QWidget>

#include <string>

class QPushButton;
class QTextBrowser;
class QToolBar;

class HelpWindow : public QWidget {
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the page at `path` from its top, with `title` as the window title and `closeLabel` on
    // its Close button, and brings the window to the front. False, leaving the window as it was,
    // when the page is not a readable file.
    bool Open(const std::string& path, const std::string& title, const std::string& closeLabel);

    // The page shown (its full path), empty before the first.
    std::string PagePath() const;
    QTextBrowser* Browser() const { return browser_; }
    QPushButton* CloseButton() const { return closeButton_; }

private:
    QTextBrowser* browser_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};
