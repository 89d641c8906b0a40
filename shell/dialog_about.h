// The About box: the program's icon, its title, the copyright line of the language, and lines of
// our own: the version, the licence and where the game folder is.
#pragma once

#include <string>

#include "shell/dialog_common.h"
#include "version/version.h"

class QLabel;

inline constexpr const char* kGameVersion = VARNEL_VERSION;

class AboutDialog : public GameDialog {
    Q_OBJECT

public:
    // `texts.labels` = { title, copyright, OK, version label, licence label, game-folder label }
    // (a missing label is the English one). `gameFolder` is the folder the game plays in.
    AboutDialog(const DialogTexts& texts, const std::string& gameFolder, QWidget* owner);

    QLabel* Icon() const { return icon_; }
    QLabel* TitleLine() const { return title_; }
    QLabel* CopyrightLine() const { return copyright_; }
    QLabel* VersionLine() const { return version_; }
    QLabel* LicenceLine() const { return licence_; }
    QLabel* FolderLine() const { return folder_; }

private:
    QLabel* icon_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* copyright_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* licence_ = nullptr;
    QLabel* folder_ = nullptr;
};
