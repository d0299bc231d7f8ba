#pragma once
// Accepts files dropped on one control, from the desktop's file manager or from this program's
// drag sources ("text/uri-list" with at least one local file), and turns the drag into events.
#include "components/drag_types.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <functional>

class QDropEvent;
class QMimeData;
class QWidget;

class TDropFileTarget : public QObject {
    Q_OBJECT
public:
    explicit TDropFileTarget(QObject* owner = nullptr);
    ~TDropFileTarget() override;

    TDragTypes Dragtypes{TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink};
    // True reads the files as the drag enters, false at the drop.
    bool GetDataOnEnter = false;
    // The dropped files' full paths, in the order of the drag data. Read them inside OnDrop:
    // they are cleared as soon as it returns. May be empty when GetDataOnEnter is set.
    QStringList Files;

    // Points are the cursor position in screen coordinates.
    std::function<void(QObject* sender, QPoint point)> OnEnter;
    std::function<void(QObject* sender, QPoint point)> OnDragOver;
    std::function<void(QObject* sender)> OnLeave;
    // Answers whether every dropped file was taken. A move that was not taken whole is reported
    // to the source as a copy, so that a source which deletes its files after a move keeps them.
    std::function<bool(QObject* sender, TDragType type, QPoint dropPoint)> OnDrop;
    // May replace the effect chosen from the keys.
    std::function<void(QObject* sender, Qt::KeyboardModifiers keys, DropEffect& effect)> OnGetDropEffect;

    // Accepts drops on the control (on its viewport for a scroll area such as a list). A control
    // already registered is left alone; another control takes over the registration.
    void Register(QWidget* control);
    // Stops accepting drops; safe when nothing is registered or the control is already gone.
    void Unregister() noexcept;
    QWidget* control() const { return control_; }

    // Ctrl+Shift links, Shift alone moves, otherwise the first allowed of copy, move and link.
    DropEffect GetDropEffect(Qt::KeyboardModifiers keys);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool HasValidFormats(const QMimeData* data) const;
    bool GetData(const QMimeData* data);
    void ClearData() { Files.clear(); }

    void dragEnter(QDropEvent* event);
    void dragOver(QDropEvent* event);
    void drop(QDropEvent* event);
    QPoint screenPoint(const QDropEvent* event) const;

    QPointer<QWidget> control_;
    QPointer<QWidget> watched_;  // the widget that receives the drag events
};
