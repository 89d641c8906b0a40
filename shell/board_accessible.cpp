#include "shell/board_accessible.h"

#include <QVariant>
#include <QWidget>

#include "shell/game_app.h"

namespace {

// The property that carries the application object on the board widget.
constexpr const char* kAppProperty = "varnelGameApp";

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QAccessibleInterface* BoardInterface(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr) {
        return nullptr;
    }
    const QVariant app = widget->property(kAppProperty);
    if (!app.isValid()) {
        return nullptr;
    }
    return new BoardAccessible(widget, *static_cast<GameApp*>(app.value<void*>()));
}

}  // namespace

BoardAccessible::BoardAccessible(QWidget* board, GameApp& app)
    : QAccessibleWidget(board, QAccessible::Client), app_(app) {}

QString BoardAccessible::text(QAccessible::Text kind) const {
    switch (kind) {
        case QAccessible::Name:
            return FromUtf8(app_.FocusText());
        case QAccessible::Description: {
            // The last announcement first: a reader that says the description on an alert says
            // what just happened, then where the game stands.
            const std::string& said = app_.LastAnnouncement();
            const std::string counts = app_.BoardCountsText();
            return FromUtf8(said.empty() ? counts : said + " " + counts);
        }
        default:
            return QAccessibleWidget::text(kind);
    }
}

void MarkAccessibleBoard(QWidget& board, GameApp& app) {
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(BoardInterface);
        installed = true;
    }
    board.setProperty(kAppProperty, QVariant::fromValue(static_cast<void*>(&app)));
}
