#pragma once
// Drops data on a widget the way a drag from a file manager ends: an enter event, then the drop,
// with no key held.
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

// True when the widget took the drop.
inline bool dropOn(QWidget* list, QMimeData& data) {
    QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(4, 4), Qt::CopyAction | Qt::MoveAction, &data, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list, &drop);
    return drop.isAccepted();
}
