#pragma once
// What a user does to a list box with the mouse, sent as real mouse events to its viewport.
#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QTest>

namespace testing_support {

inline QPoint rowCentre(QListWidget* list, int row) { return list->visualItemRect(list->item(row)).center(); }

// A point of the viewport below the last row.
inline QPoint emptySpace(QListWidget* list) {
    const QRect last = list->visualItemRect(list->item(list->count() - 1));
    return QPoint(last.center().x(), last.bottom() + 2 * last.height());
}

// A press on one row, moves over every row between with the button held, and the release on the
// other row.
inline void dragRows(QListWidget* list, int from, int to) {
    QWidget* viewport = list->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, rowCentre(list, from));
    const int step = to > from ? 1 : -1;
    for (int row = from; row != to + step; row += step) {
        const QPoint at = rowCentre(list, row);
        QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &move);
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, rowCentre(list, to));
}

}  // namespace testing_support
