#pragma once
// Drives a list widget as a user does: real clicks on its viewport and real key presses.
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace testing_support {

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
            const QRect last = list->visualItemRect(list->item(list->count() - 1));
            ASSERT_LT(last.bottom() + 10, view->height());
            QTest::mouseClick(view, Qt::LeftButton, keys, QPoint(last.center().x(), last.bottom() + 10));
        } else {
            QTest::mouseClick(view, Qt::LeftButton, keys, list->visualItemRect(list->item(step.toInt())).center());
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
