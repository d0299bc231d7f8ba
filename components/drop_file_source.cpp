#include "components/drop_file_source.h"

#include <QClipboard>
#include <QDrag>
#include <QGuiApplication>
#include <QUrl>

namespace {

const QString uriListType = QStringLiteral("text/uri-list");

TDropFileSource::DragRunner& dragRunner() {
    static TDropFileSource::DragRunner runner;
    return runner;
}

}  // namespace

QStringList FileUriMimeData::formats() const { return {uriListType}; }

bool FileUriMimeData::hasFormat(const QString& mimeType) const { return mimeType == uriListType; }

QVariant FileUriMimeData::retrieveData(const QString& mimeType, QMetaType type) const {
    if (mimeType != uriListType || files_.isEmpty()) return {};
    if (type.id() == QMetaType::QVariantList) {
        QVariantList urls;
        for (const QString& file : files_) urls << QUrl::fromLocalFile(file);
        return urls;
    }
    // One URI a line, each ended by CR LF.
    QByteArray list;
    for (const QString& file : files_) list += QUrl::fromLocalFile(file).toEncoded() + "\r\n";
    return list;
}

TDropFileSource::TDropFileSource(QObject* owner) : QObject(owner) {}

QMimeData* TDropFileSource::createMimeData() const { return new FileUriMimeData(Files); }

TDragResult TDropFileSource::resultOf(Qt::DropAction chosen, Qt::DropActions allowed) {
    const Qt::DropActions shared = allowed & chosen;
    if (shared.testFlag(Qt::CopyAction)) return TDragResult::drCopy;
    if (shared.testFlag(Qt::MoveAction)) return TDragResult::drMove;
    if (shared.testFlag(Qt::LinkAction)) return TDragResult::drLink;
    return TDragResult::drCancel;
}

TDragResult TDropFileSource::Execute() {
    if (Files.isEmpty()) return TDragResult::drCancel;
    const Qt::DropActions allowed = Dragtypes.actions();
    QDrag drag(this);
    drag.setMimeData(createMimeData());
    connect(&drag, &QDrag::actionChanged, this, [this](Qt::DropAction action) {
        if (OnFeedback) OnFeedback(this, action);
    });
    const Qt::DropAction chosen = dragRunner() ? dragRunner()(drag, allowed) : drag.exec(allowed);
    return resultOf(chosen, allowed);
}

bool TDropFileSource::CopyToClipboard() const {
    if (Files.isEmpty()) return false;
    QGuiApplication::clipboard()->setMimeData(createMimeData());
    return true;
}

void TDropFileSource::setDragRunnerForTesting(DragRunner runner) { dragRunner() = std::move(runner); }
