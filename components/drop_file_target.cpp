#include "components/drop_file_target.h"

#include <QAbstractScrollArea>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

// The single action of an effect; IgnoreAction for none or for several bits at once.
Qt::DropAction singleAction(DropEffect effect) {
    switch (effect) {
    case Qt::CopyAction: return Qt::CopyAction;
    case Qt::MoveAction: return Qt::MoveAction;
    case Qt::LinkAction: return Qt::LinkAction;
    default: return Qt::IgnoreAction;
    }
}

// Tells the source which action the target takes; no single action refuses the drop here.
void answer(QDropEvent* event, DropEffect effect) {
    const Qt::DropAction action = singleAction(effect);
    if (action == Qt::IgnoreAction) {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

}  // namespace

TDropFileTarget::TDropFileTarget(QObject* owner) : QObject(owner) {}

TDropFileTarget::~TDropFileTarget() { Unregister(); }

void TDropFileTarget::Register(QWidget* control) {
    if (!control || control == control_) return;
    Unregister();
    control_ = control;
    auto* area = qobject_cast<QAbstractScrollArea*>(control);
    watched_ = area ? area->viewport() : control;
    control->setAcceptDrops(true);
    watched_->setAcceptDrops(true);
    watched_->installEventFilter(this);
}

void TDropFileTarget::Unregister() noexcept {
    if (watched_) {
        watched_->removeEventFilter(this);
        watched_->setAcceptDrops(false);
    }
    if (control_) control_->setAcceptDrops(false);
    watched_ = nullptr;
    control_ = nullptr;
}

DropEffect TDropFileTarget::GetDropEffect(Qt::KeyboardModifiers keys) {
    const bool shift = keys.testFlag(Qt::ShiftModifier);
    const bool ctrl = keys.testFlag(Qt::ControlModifier);
    DropEffect effect = Qt::IgnoreAction;
    if (shift && ctrl && Dragtypes.contains(TDragType::dtLink))
        effect = Qt::LinkAction;
    else if (shift && !ctrl && Dragtypes.contains(TDragType::dtMove))
        effect = Qt::MoveAction;
    else
        for (TDragType type : {TDragType::dtCopy, TDragType::dtMove, TDragType::dtLink})
            if (Dragtypes.contains(type)) {
                effect = actionOf(type);
                break;
            }
    if (OnGetDropEffect) OnGetDropEffect(this, keys, effect);
    return effect;
}

bool TDropFileTarget::HasValidFormats(const QMimeData* data) const {
    if (!data || !data->hasUrls()) return false;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return true;
    return false;
}

bool TDropFileTarget::GetData(const QMimeData* data) {
    ClearData();
    if (!data) return false;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) Files << url.toLocalFile();
    return !Files.isEmpty();
}

QPoint TDropFileTarget::screenPoint(const QDropEvent* event) const {
    const QPoint local = event->position().toPoint();
    return watched_ ? watched_->mapToGlobal(local) : local;
}

bool TDropFileTarget::eventFilter(QObject* watched, QEvent* event) {
    if (watched != watched_) return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter: dragEnter(static_cast<QDropEvent*>(event)); return true;
    case QEvent::DragMove: dragOver(static_cast<QDropEvent*>(event)); return true;
    case QEvent::DragLeave:
        ClearData();
        if (OnLeave) OnLeave(this);
        return true;
    case QEvent::Drop: drop(static_cast<QDropEvent*>(event)); return true;
    default: return QObject::eventFilter(watched, event);
    }
}

void TDropFileTarget::dragEnter(QDropEvent* event) {
    ClearData();
    DropEffect effect = GetDropEffect(event->modifiers());
    if (!HasValidFormats(event->mimeData())) {
        event->ignore();  // no files offered: the drag never enters
        return;
    }
    if (GetDataOnEnter && !GetData(event->mimeData())) effect = Qt::IgnoreAction;
    if (OnEnter) OnEnter(this, screenPoint(event));
    // The enter is accepted even without an effect, so that moves with other keys still arrive.
    answer(event, effect);
    event->accept();
}

void TDropFileTarget::dragOver(QDropEvent* event) {
    const DropEffect effect = GetDropEffect(event->modifiers());
    if (OnDragOver) OnDragOver(this, screenPoint(event));
    answer(event, effect);
}

void TDropFileTarget::drop(QDropEvent* event) {
    DropEffect effect = GetDropEffect(event->modifiers());
    if (!GetDataOnEnter && !GetData(event->mimeData())) effect = Qt::IgnoreAction;
    if (OnDrop) {
        const QPoint point = screenPoint(event);
        bool taken = true;
        switch (effect) {
        case Qt::CopyAction:
            taken = OnDrop(this, TDragType::dtCopy, point);
            break;
        case Qt::MoveAction:
            taken = OnDrop(this, TDragType::dtMove, point);
            break;
        case Qt::LinkAction:
            taken = OnDrop(this, TDragType::dtLink, point);
            break;
        default: break;  // no single effect: nothing is dropped
        }
        if (!taken && effect == Qt::MoveAction) effect = Qt::CopyAction;
    }
    // Answered only now: the source learns what the handler did, not what the keys asked for.
    answer(event, effect);
    ClearData();
}
