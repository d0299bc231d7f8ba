#pragma once
// What a user does to a list box: real mouse events on its viewport and real key presses.
#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace testing_support {

inline QPoint rowCentre(QListWidget* list, int row) { return list->visualItemRect(list->item(row)).center(); }

// A point of the viewport below the last row.
inline QPoint emptySpace(QListWidget* list) {
    const QRect last = list->visualItemRect(list->item(list->count() - 1));
    return QPoint(last.center().x(), last.bottom() + 10);
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

// Gestures separated by blanks: "2" clicks row 2, "^2" Ctrl+clicks it, "+2" Shift+clicks it, "_"
// clicks the empty space below the rows, "v" and "+v" press Down and Shift+Down, "f" gives the
// list the keyboard focus.
inline void gesture(QListWidget* list, const QString& gestures) {
    QWidget* view = list->viewport();
    for (QString step : gestures.split(' ', Qt::SkipEmptyParts)) {
        Qt::KeyboardModifiers keys = Qt::NoModifier;
        if (step.startsWith('^')) keys = Qt::ControlModifier;
        if (step.startsWith('+')) keys = Qt::ShiftModifier;
        if (keys != Qt::NoModifier) step.remove(0, 1);
        if (step == "f") {
            list->setFocus();
            QTRY_VERIFY(list->hasFocus());
        } else if (step == "v") {
            QTest::keyClick(list, Qt::Key_Down, keys);
        } else if (step == "_") {
            ASSERT_LT(emptySpace(list).y(), view->height());
            QTest::mouseClick(view, Qt::LeftButton, keys, emptySpace(list));
        } else {
            QTest::mouseClick(view, Qt::LeftButton, keys, rowCentre(list, step.toInt()));
        }
    }
}

// The texts of the highlighted rows, in list order.
inline QStringList highlightedTexts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) texts << list->item(i)->text();
    return texts;
}

}  // namespace testing_support
