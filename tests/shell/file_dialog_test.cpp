// The file dialog of the layout, picture and saved-game choices: it shows the plain description
// and pattern, lists the folder's files whatever the case of their names, and hands back the
// chosen file.
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>

#include "shell/qt_desktop.h"
#include "tests/shell/dialog_test_support.h"
#include "tests/shell/shell_test_support.h"

TEST(FileDialog, ShowsThePlainPatternAndFindsNamesInAnyCase) {
    struct Case {
        std::string pattern;
        std::string shown;
    };
    for (const Case& c : {Case{"*.TVL", "Layouts (*.TVL)"},
                          Case{"*.BMP;*.TGA;*.JPG", "Layouts (*.BMP *.TGA *.JPG)"}}) {
        EXPECT_EQ(QtNameFilter("Layouts", c.pattern), c.shown);
    }

    GameFolder folder;
    for (const char* name : {"LAYOUTS/lower.tvl", "LAYOUTS/Mixed.Tvl", "LAYOUTS/notes.txt"}) {
        folder.Touch(name);
    }
    QtDesktop desktop;
    ModalDriver driver;
    QStringList filters;
    QStringList listed;
    driver.Then([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        auto* model = dialog->findChild<QFileSystemModel*>();
        ASSERT_NE(model, nullptr);
        // The folder is read in the background: wait until its files are there.
        const QModelIndex root = model->index(QString::fromStdString(folder.File("LAYOUTS")));
        for (int i = 0; i < 200 && model->rowCount(root) == 0; ++i) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        for (int row = 0; row < model->rowCount(root); ++row) {
            const QModelIndex index = model->index(row, 0, root);
            // Names the filter leaves out are hidden or greyed, depending on the style.
            if (model->flags(index) & Qt::ItemIsEnabled) {
                listed << model->fileName(index);
            }
        }
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("lower.tvl"));
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    std::string chosen;
    const bool accepted =
        desktop.ChooseFile("title", folder.File("LAYOUTS"), "*.TVL", "Layouts", false, chosen);
    ASSERT_TRUE(accepted);
    EXPECT_EQ(filters, QStringList{QStringLiteral("Layouts (*.TVL)")});
    EXPECT_TRUE(listed.contains(QStringLiteral("lower.tvl"))) << listed.join(',').toStdString();
    EXPECT_TRUE(listed.contains(QStringLiteral("Mixed.Tvl")));
    EXPECT_FALSE(listed.contains(QStringLiteral("notes.txt")));
    EXPECT_EQ(chosen, folder.File("LAYOUTS/lower.tvl"));
    EXPECT_EQ(driver.Forced(), 0);
}
