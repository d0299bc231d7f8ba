#pragma once
// Drops data on a widget the way a drag from a file manager ends: an enter event, then the drop,
// with no key held or with the keys given.
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

// The same with the keys held; returns the action reported to the source, IgnoreAction when the
// widget did not take the drop.
inline Qt::DropAction dropActionOn(QWidget* list, QMimeData& data, Qt::KeyboardModifiers keys) {
    QDragEnterEvent enter(QPoint(4, 4), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(list, &enter);
    if (!enter.isAccepted()) return Qt::IgnoreAction;
    QDropEvent drop(QPointF(4, 4), Qt::CopyAction | Qt::MoveAction, &data, Qt::NoButton, keys);
    QCoreApplication::sendEvent(list, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

// True when the widget took the drop.
inline bool dropOn(QWidget* list, QMimeData& data) {
    return dropActionOn(list, data, Qt::NoModifier) != Qt::IgnoreAction;
}
