#pragma once
// Drags a list of files out of a window, to the desktop's file manager or to any drop target of
// this program. The files are offered as "text/uri-list" (percent-encoded file:// URIs), rendered
// only when a target asks for them.
#include "components/drag_types.h"

#include <QMimeData>
#include <QObject>
#include <QStringList>
#include <functional>

class QDrag;

class TDropFileSource : public QObject {
    Q_OBJECT
public:
    explicit TDropFileSource(QObject* owner = nullptr);

    TDragTypes Dragtypes{TDragType::dtCopy};
    // Full paths of the files to drag; callers clear and fill it before each drag.
    QStringList Files;
    // Called with the drop effect the target currently proposes.
    std::function<void(QObject* sender, DropEffect effect)> OnFeedback;
    // A veto at the moment of release has no hook in Qt's drag loop, so this is never called;
    // it is kept for callers that assign it.
    std::function<void(QObject* sender, TDragType type, bool& continueDrop)> OnDrop;

    // Runs the drag until it ends; Files is left as it was. Empty Files: drCancel at once.
    TDragResult Execute();

    // The drag data of the current Files (the caller owns it).
    QMimeData* createMimeData() const;
    // Puts the files on the clipboard; false when there are none.
    bool CopyToClipboard() const;

    // The result of a drag from the action the target chose and the actions allowed.
    static TDragResult resultOf(Qt::DropAction chosen, Qt::DropActions allowed);

    // Tests replace the drag loop (QDrag::exec) and see each drag it would run.
    using DragRunner = std::function<Qt::DropAction(QDrag& drag, Qt::DropActions allowed)>;
    static void setDragRunnerForTesting(DragRunner runner);
};

// "text/uri-list" data for a fixed list of files, rendered when asked for.
class FileUriMimeData : public QMimeData {
    Q_OBJECT
public:
    explicit FileUriMimeData(const QStringList& files) : files_(files) {}
    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    QStringList files_;
};
