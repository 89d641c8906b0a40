#include "shell/cursor_set.h"

#include <QPixmap>

namespace {

QCursor PictureCursor(const char* resource, int hotX, int hotY, Qt::CursorShape standIn) {
    const QPixmap picture(QString::fromLatin1(resource));
    if (picture.isNull()) {
        return QCursor(standIn);
    }
    return QCursor(picture, hotX, hotY);
}

}  // namespace

QCursor GameCursor(CursorKind kind, bool ownCursors) {
    if (!ownCursors) {
        return QCursor(kind == CursorKind::Busy ? Qt::BusyCursor : Qt::ArrowCursor);
    }
    // Made once: the pictures are compiled in and never change during a run.
    static const QCursor normal =
        PictureCursor(":/cursor_normal.png", kNormalCursorHotX, kNormalCursorHotY, Qt::ArrowCursor);
    static const QCursor busy =
        PictureCursor(":/cursor_busy.png", kBusyCursorHotX, kBusyCursorHotY, Qt::BusyCursor);
    return kind == CursorKind::Busy ? busy : normal;
}
