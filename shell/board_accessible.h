// The board view as assistive technology sees it: its name is the tile with the keyboard focus
// in the player's language, its description the last announcement and the board's counts. Any
// board widget of any edition gets it once the main window has marked it as the board.
#pragma once

#include <QAccessibleWidget>

class GameApp;
class QWidget;

class BoardAccessible : public QAccessibleWidget {
public:
    BoardAccessible(QWidget* board, GameApp& app);
    QString text(QAccessible::Text kind) const override;

private:
    GameApp& app_;
};

// Marks `board` as the board of `app`, so that Qt's accessibility asks BoardAccessible for it.
// Installs the interface factory on the first call.
void MarkAccessibleBoard(QWidget& board, GameApp& app);
